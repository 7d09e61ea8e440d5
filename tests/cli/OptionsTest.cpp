#include "cli/Options.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>

namespace {

using cli::ParseCommandLine;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

TEST(Options, ReadsAFullConnect) {
    const cli::ParsedCommandLine parsed = ParseCommandLine(
        Words("--workdir /tmp/w --gateway gw.test:6000 connect -u alice -p s3cret --range paid"));
    ASSERT_EQ(parsed.error, "");
    const cli::Options& options = parsed.options;
    EXPECT_EQ(options.workdir, "/tmp/w");
    EXPECT_EQ(options.gatewayHost, "gw.test");
    EXPECT_EQ(options.gatewayPort, 6000);
    EXPECT_EQ(options.command, cli::Command::Connect);
    EXPECT_EQ(options.userName, "alice");
    EXPECT_FALSE(options.save);
    EXPECT_EQ(options.passwordSource, cli::PasswordSource::Argument);
    EXPECT_EQ(options.password, "s3cret");
    EXPECT_EQ(options.range, cli::Range::Paid);
}

TEST(Options, DefaultsToTheFreeRangeAndTheTerminalForThePassword) {
    const cli::ParsedCommandLine parsed = ParseCommandLine(Words("disconnect -u bob"));
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.command, cli::Command::Disconnect);
    EXPECT_FALSE(parsed.options.range.has_value());
    EXPECT_EQ(parsed.options.passwordSource, cli::PasswordSource::Terminal);
    EXPECT_FALSE(parsed.options.gatewayHost.has_value());
}

TEST(Options, GatewayMayBeABracketedAddressWithoutPort) {
    const cli::ParsedCommandLine parsed =
        ParseCommandLine(Words("--gateway [::1] disconnect-all -u bob --password-stdin"));
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.gatewayHost, "[::1]");
    EXPECT_FALSE(parsed.options.gatewayPort.has_value());
    EXPECT_EQ(parsed.options.passwordSource, cli::PasswordSource::Stdin);
}

TEST(Options, EachRememberingFlagImpliesTheOnesBeforeIt) {
    const cli::Options autoLogon =
        ParseCommandLine(Words("connect -u a -p x --auto-logon")).options;
    EXPECT_TRUE(autoLogon.save && autoLogon.rememberPassword && autoLogon.autoLogon);
    const cli::Options remember =
        ParseCommandLine(Words("connect -u a -p x --remember-password")).options;
    EXPECT_TRUE(remember.save && remember.rememberPassword && !remember.autoLogon);
    const cli::Options save = ParseCommandLine(Words("connect -u a -p x --save")).options;
    EXPECT_TRUE(save.save && !save.rememberPassword && !save.autoLogon);
}

TEST(Options, ConnectWithoutUserUsesTheDefaultAccount) {
    const cli::ParsedCommandLine parsed = ParseCommandLine(Words("connect --range paid"));
    ASSERT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.options.userName.has_value());
    EXPECT_EQ(parsed.options.range, cli::Range::Paid);
}

TEST(Options, ReadsTheAccountCommands) {
    EXPECT_EQ(ParseCommandLine(Words("accounts")).options.command, cli::Command::Accounts);
    const cli::Options one = ParseCommandLine(Words("forget alice")).options;
    EXPECT_EQ(one.command, cli::Command::Forget);
    EXPECT_EQ(one.forgetName, "alice");
    EXPECT_FALSE(one.forgetAll);
    const cli::Options all = ParseCommandLine(Words("forget --all")).options;
    EXPECT_TRUE(all.forgetAll);
    EXPECT_EQ(all.forgetName, "");
}

TEST(Options, HelpWinsOverEverythingElse) {
    EXPECT_TRUE(ParseCommandLine(Words("connect --bogus --help")).help);
    EXPECT_TRUE(ParseCommandLine(Words("-h")).help);
}

struct UsageCase {
    const char* line;
    const char* error;
};

void PrintTo(const UsageCase& usage, std::ostream* out) {
    *out << usage.line;
}

class UsageErrors : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, NameWhatIsWrong) {
    EXPECT_EQ(ParseCommandLine(Words(GetParam().line)).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrors,
    testing::Values(
        UsageCase{"", "no command given"}, UsageCase{"login -u a", "unknown command \"login\""},
        UsageCase{"disconnect", "-u USER is required"}, UsageCase{"connect -u", "-u needs a value"},
        UsageCase{"connect -p x", "a connect without -u uses the default account; "
                                  "give -u USER with a password or --save"},
        UsageCase{"connect --save", "a connect without -u uses the default account; "
                                    "give -u USER with a password or --save"},
        UsageCase{"disconnect -u a -p x --save", "unknown option \"--save\""},
        UsageCase{"forget", "forget takes one NAME or --all"},
        UsageCase{"forget a b", "forget takes one NAME or --all"},
        UsageCase{"forget a --all", "forget takes one NAME or --all"},
        UsageCase{"forget -x", "forget takes one NAME or --all"},
        UsageCase{"accounts -u a", "accounts takes no arguments"},
        UsageCase{"connect -u a --range all", "--range is free or paid, not \"all\""},
        UsageCase{"connect -u a -p x --password-stdin", "give the password only once"},
        UsageCase{"connect -u a --verbose", "unknown option \"--verbose\""},
        UsageCase{"disconnect-all -u a --range paid", "disconnect-all takes no --range"},
        UsageCase{"--gateway gw:0 connect -u a", "--gateway wants HOST or HOST:PORT, not \"gw:0\""},
        UsageCase{"--gateway gw:http connect -u a",
                  "--gateway wants HOST or HOST:PORT, not \"gw:http\""},
        UsageCase{"--gateway :5428 connect -u a",
                  "--gateway wants HOST or HOST:PORT, not \":5428\""},
        UsageCase{"--gateway [::1 connect -u a", "--gateway wants HOST or HOST:PORT, not \"[::1\""},
        UsageCase{"-u a connect", "unknown command \"-u\""}));

} // namespace
