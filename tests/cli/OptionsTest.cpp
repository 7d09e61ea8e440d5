#include "cli/CommandLine.h"
#include "cli/ForgetCommand.h"
#include "cli/GatewayCommand.h"
#include "cli/KeepCommand.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>

namespace {

using cli::CGatewayCommand;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

// One parse: the command line object owns the subcommand the result points at.
struct Parse {
    explicit Parse(const std::string& line) : parsed(commandLine.Parse(Words(line))) {}

    const CGatewayCommand& Gateway() const {
        const auto* command = dynamic_cast<const CGatewayCommand*>(parsed.command);
        EXPECT_NE(command, nullptr) << parsed.error;
        return command != nullptr ? *command : fallback;
    }
    const cli::GatewayOptions& Options() const { return Gateway().Options(); }

    cli::CCommandLine commandLine;
    cli::ParsedCommandLine parsed;
    CGatewayCommand fallback{CGatewayCommand::Action::Connect};
};

TEST(Options, ReadsAFullConnect) {
    const Parse parse(
        "--workdir /tmp/w --gateway gw.test:6000 connect -u alice -p s3cret --range paid");
    ASSERT_EQ(parse.parsed.error, "");
    EXPECT_EQ(parse.commandLine.Global().workdir, "/tmp/w");
    EXPECT_EQ(parse.commandLine.Global().gatewayHost, "gw.test");
    EXPECT_EQ(parse.commandLine.Global().gatewayPort, 6000);
    EXPECT_EQ(parse.Gateway().GetAction(), CGatewayCommand::Action::Connect);
    const cli::GatewayOptions& options = parse.Options();
    EXPECT_EQ(options.userName, "alice");
    EXPECT_FALSE(options.save);
    EXPECT_EQ(options.passwordSource, cli::PasswordSource::Argument);
    EXPECT_EQ(options.password, "s3cret");
    EXPECT_EQ(options.range, cli::Range::Paid);
}

TEST(Options, GlobalOptionsMayFollowTheCommand) {
    const Parse parse("disconnect -u bob --workdir /tmp/w");
    ASSERT_EQ(parse.parsed.error, "");
    EXPECT_EQ(parse.commandLine.Global().workdir, "/tmp/w");
    EXPECT_EQ(parse.Gateway().GetAction(), CGatewayCommand::Action::Disconnect);
}

TEST(Options, DefaultsToTheFreeRangeAndTheTerminalForThePassword) {
    const Parse parse("disconnect -u bob");
    ASSERT_EQ(parse.parsed.error, "");
    EXPECT_EQ(parse.Gateway().GetAction(), CGatewayCommand::Action::Disconnect);
    EXPECT_FALSE(parse.Options().range.has_value());
    EXPECT_EQ(parse.Options().passwordSource, cli::PasswordSource::Terminal);
    EXPECT_FALSE(parse.commandLine.Global().gatewayHost.has_value());
}

TEST(Options, GatewayMayBeABracketedAddressWithoutPort) {
    const Parse parse("--gateway [::1] disconnect-all -u bob --password-stdin");
    ASSERT_EQ(parse.parsed.error, "");
    EXPECT_EQ(parse.commandLine.Global().gatewayHost, "[::1]");
    EXPECT_FALSE(parse.commandLine.Global().gatewayPort.has_value());
    EXPECT_EQ(parse.Gateway().GetAction(), CGatewayCommand::Action::DisconnectAll);
    EXPECT_EQ(parse.Options().passwordSource, cli::PasswordSource::Stdin);
}

TEST(Options, EachRememberingFlagImpliesTheOnesBeforeIt) {
    const Parse autoLogon("connect -u a -p x --auto-logon");
    EXPECT_TRUE(autoLogon.Options().save && autoLogon.Options().rememberPassword &&
                autoLogon.Options().autoLogon);
    const Parse remember("connect -u a -p x --remember-password");
    EXPECT_TRUE(remember.Options().save && remember.Options().rememberPassword &&
                !remember.Options().autoLogon);
    const Parse save("connect -u a -p x --save");
    EXPECT_TRUE(save.Options().save && !save.Options().rememberPassword &&
                !save.Options().autoLogon);
}

TEST(Options, ConnectWithoutUserUsesTheDefaultAccount) {
    const Parse parse("connect --range paid");
    ASSERT_EQ(parse.parsed.error, "");
    EXPECT_FALSE(parse.Options().userName.has_value());
    EXPECT_EQ(parse.Options().range, cli::Range::Paid);
}

TEST(Options, ReadsTheAccountCommands) {
    const Parse accounts("accounts");
    EXPECT_EQ(accounts.parsed.error, "");
    EXPECT_NE(accounts.parsed.command, nullptr);
    const Parse one("forget alice");
    const auto* forgetOne = dynamic_cast<const cli::CForgetCommand*>(one.parsed.command);
    ASSERT_NE(forgetOne, nullptr) << one.parsed.error;
    EXPECT_EQ(forgetOne->Name(), "alice");
    EXPECT_FALSE(forgetOne->All());
    const Parse all("forget --all");
    const auto* forgetAll = dynamic_cast<const cli::CForgetCommand*>(all.parsed.command);
    ASSERT_NE(forgetAll, nullptr) << all.parsed.error;
    EXPECT_TRUE(forgetAll->All());
    EXPECT_EQ(forgetAll->Name(), "");
}

TEST(Options, ReadsKeep) {
    const Parse parse("keep -u alice -p s3cret --range paid --stay");
    ASSERT_EQ(parse.parsed.error, "");
    const auto* keep = dynamic_cast<const cli::CKeepCommand*>(parse.parsed.command);
    ASSERT_NE(keep, nullptr);
    EXPECT_TRUE(keep->Stay());
    EXPECT_EQ(keep->Options().userName, "alice");
    EXPECT_EQ(keep->Options().password, "s3cret");
    EXPECT_EQ(keep->Options().range, cli::Range::Paid);
    const Parse bare("keep");
    const auto* defaultAccount = dynamic_cast<const cli::CKeepCommand*>(bare.parsed.command);
    ASSERT_NE(defaultAccount, nullptr) << bare.parsed.error;
    EXPECT_FALSE(defaultAccount->Stay());
    EXPECT_FALSE(defaultAccount->Options().userName.has_value());
}

// A value that starts with '-' is still the option's value, as getopt takes it.
struct ValueCase {
    const char* line;
    const char* userName;
    const char* password;
};

void PrintTo(const ValueCase& value, std::ostream* out) {
    *out << value.line;
}

class DashValues : public testing::TestWithParam<ValueCase> {};

TEST_P(DashValues, AreTheOptionsValues) {
    const Parse parse(GetParam().line);
    ASSERT_EQ(parse.parsed.error, "");
    EXPECT_EQ(parse.parsed.help, "");
    EXPECT_EQ(parse.Options().userName, GetParam().userName);
    EXPECT_EQ(parse.Options().passwordSource, cli::PasswordSource::Argument);
    EXPECT_EQ(parse.Options().password, GetParam().password);
}

INSTANTIATE_TEST_SUITE_P(Cases, DashValues,
                         testing::Values(ValueCase{"connect -u alice -p -h", "alice", "-h"},
                                         ValueCase{"connect -u alice -p --help", "alice", "--help"},
                                         ValueCase{"connect -p -x -u -p", "-p", "-x"},
                                         ValueCase{"disconnect -u -5 --password=-1", "-5", "-1"},
                                         ValueCase{"connect -u a -p --save", "a", "--save"}));

struct HelpCase {
    const char* line;
    const char* shows; // what the help text holds
};

void PrintTo(const HelpCase& help, std::ostream* out) {
    *out << help.line;
}

class Help : public testing::TestWithParam<HelpCase> {};

TEST_P(Help, IsAnOptionOfItsOwnAndWinsOverErrors) {
    const Parse parse(GetParam().line);
    EXPECT_EQ(parse.parsed.command, nullptr);
    EXPECT_NE(parse.parsed.help.find(GetParam().shows), std::string::npos) << parse.parsed.help;
}

INSTANTIATE_TEST_SUITE_P(Cases, Help,
                         testing::Values(HelpCase{"-h", "Exit status:"},
                                         HelpCase{"--help", "disconnect-all"},
                                         HelpCase{"connect --bogus --help", "--auto-logon"},
                                         HelpCase{"connect -u a -p x -h", "--remember-password"},
                                         HelpCase{"forget -h", "--all"},
                                         HelpCase{"disconnect --help", "--range"},
                                         HelpCase{"keep -h", "--stay"}));

struct UsageCase {
    const char* line;
    const char* error;
    const char* hint;
};

void PrintTo(const UsageCase& usage, std::ostream* out) {
    *out << usage.line;
}

class UsageErrors : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, NameWhatIsWrong) {
    const Parse parse(GetParam().line);
    EXPECT_EQ(parse.parsed.command, nullptr);
    EXPECT_EQ(parse.parsed.error, GetParam().error);
    EXPECT_EQ(parse.parsed.hint, GetParam().hint);
}

constexpr const char* kTop = "Try 'vornctl --help'.";
constexpr const char* kConnect = "Try 'vornctl connect --help'.";
constexpr const char* kForget = "Try 'vornctl forget --help'.";
constexpr const char* kDefaultAccount =
    "a connect without -u uses the default account; give -u USER with a password or --save";

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrors,
    testing::Values(
        UsageCase{"", "no command given", kTop},
        UsageCase{"login -u a", "unknown command \"login\"", kTop},
        UsageCase{"-u a connect", "unknown option \"-u\"", kConnect},
        UsageCase{"disconnect", "--user is required", "Try 'vornctl disconnect --help'."},
        UsageCase{"connect -u", "--user: 1 required USER missing", kConnect},
        UsageCase{"connect -p x", kDefaultAccount, kConnect},
        UsageCase{"connect --save", kDefaultAccount, kConnect},
        UsageCase{"connect --password-stdin", kDefaultAccount, kConnect},
        UsageCase{"disconnect -u a -p x --save", "unknown option \"--save\"",
                  "Try 'vornctl disconnect --help'."},
        UsageCase{"keep -p x", kDefaultAccount, "Try 'vornctl keep --help'."},
        UsageCase{"keep -u a --save", "unknown option \"--save\"", "Try 'vornctl keep --help'."},
        UsageCase{"forget", "forget takes one NAME or --all", kForget},
        UsageCase{"forget a b", "unexpected argument \"b\"", kForget},
        UsageCase{"forget a --all", "NAME excludes --all", kForget},
        UsageCase{"forget -x", "unknown option \"-x\"", kForget},
        UsageCase{"accounts -u a", "unknown option \"-u\"", "Try 'vornctl accounts --help'."},
        UsageCase{"accounts connect", "unexpected argument \"connect\"",
                  "Try 'vornctl accounts --help'."},
        UsageCase{"announcements all", "unexpected argument \"all\"",
                  "Try 'vornctl announcements --help'."},
        UsageCase{"connect -u a --range all", "--range: all not in {free,paid}", kConnect},
        UsageCase{"connect -u a --range", "--range: 1 required free|paid missing", kConnect},
        UsageCase{"connect -u a -p x --password-stdin", "--password excludes --password-stdin",
                  kConnect},
        UsageCase{"connect -u a -p x -p y", "--password: At Most 1 required but received 2",
                  kConnect},
        UsageCase{"connect -u a --verbose", "unknown option \"--verbose\"", kConnect},
        UsageCase{"disconnect-all -u a --range paid", "unknown option \"--range\"",
                  "Try 'vornctl disconnect-all --help'."},
        UsageCase{"--gateway gw:0 connect -u a", "--gateway wants HOST or HOST:PORT, not \"gw:0\"",
                  kTop},
        UsageCase{"--gateway gw:http connect -u a",
                  "--gateway wants HOST or HOST:PORT, not \"gw:http\"", kTop},
        UsageCase{"--gateway :5428 connect -u a",
                  "--gateway wants HOST or HOST:PORT, not \":5428\"", kTop},
        UsageCase{"--gateway [::1 connect -u a", "--gateway wants HOST or HOST:PORT, not \"[::1\"",
                  kTop}));

} // namespace
