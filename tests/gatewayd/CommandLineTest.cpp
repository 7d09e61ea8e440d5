#include "tools/gatewayd/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using gatewayd::CommandLine;

CommandLine Parse(const std::vector<const char*>& arguments) {
    return gatewayd::ParseCommandLine(arguments);
}

TEST(CommandLine, TakesTheDefaultsForWhatIsNotGiven) {
    const CommandLine parsed = Parse({"--dir", "state", "--accounts", "a.ini"});
    ASSERT_EQ(parsed.action, CommandLine::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.stateDir, "state");
    EXPECT_EQ(parsed.options.accountsFile, "a.ini");
    EXPECT_EQ(parsed.options.host, "localhost");
    EXPECT_EQ(parsed.options.bindAddress, "127.0.0.1");
    EXPECT_EQ(parsed.options.tlsPort, 5428);
    EXPECT_EQ(parsed.options.portFile, "");
    EXPECT_EQ(parsed.options.httpPort, std::nullopt);
    EXPECT_EQ(parsed.options.ipmacFile, "");
    EXPECT_EQ(parsed.options.announceFile, "");
    EXPECT_FALSE(parsed.options.campusPort.has_value());
    EXPECT_FALSE(parsed.options.domesticPort.has_value());
}

TEST(CommandLine, TakesTheHeartbeatResponders) {
    const CommandLine parsed = Parse(
        {"--dir", "state", "--accounts", "a.ini", "--campus-port", "0", "--domestic-port", "5431"});
    ASSERT_EQ(parsed.action, CommandLine::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.campusPort, 0);
    EXPECT_EQ(parsed.options.domesticPort, 5431);
}

TEST(CommandLine, SendNeedsOnlyTheStateFolder) {
    const CommandLine parsed = Parse({"--send", "heartbeat campus silent", "--dir", "state"});
    ASSERT_EQ(parsed.action, CommandLine::Action::Send) << parsed.error;
    EXPECT_EQ(parsed.options.sendLine, "heartbeat campus silent");
    EXPECT_EQ(Parse({"--send", "x"}).error, "--dir is required");
}

TEST(CommandLine, TakesEveryOptionInAnyOrder) {
    const CommandLine parsed =
        Parse({"--port-file", "p",          "--tls-port",      "0",     "--bind",       "::1",
               "--host",      "gw.example", "--accounts",      "a.ini", "--dir",        "state",
               "--tls-port",  "65535",      "--http-port",     "8080",  "--ipmac-file", "list",
               "--http-port", "0",          "--announce-file", "msg"});
    ASSERT_EQ(parsed.action, CommandLine::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.stateDir, "state");
    EXPECT_EQ(parsed.options.host, "gw.example");
    EXPECT_EQ(parsed.options.bindAddress, "::1");
    EXPECT_EQ(parsed.options.tlsPort, 65535); // the last one counts
    EXPECT_EQ(parsed.options.portFile, "p");
    EXPECT_EQ(parsed.options.httpPort, 0);
    EXPECT_EQ(parsed.options.ipmacFile, "list");
    EXPECT_EQ(parsed.options.announceFile, "msg");
}

TEST(CommandLine, HelpWinsOverEverythingAfterIt) {
    EXPECT_EQ(Parse({"--help", "--bogus"}).action, CommandLine::Action::ShowHelp);
    EXPECT_EQ(Parse({"-h"}).action, CommandLine::Action::ShowHelp);
}

struct UsageErrorCase {
    const char* name;
    std::vector<const char*> arguments;
    const char* error;
};

class CommandLineRefuses : public testing::TestWithParam<UsageErrorCase> {};

TEST_P(CommandLineRefuses, SayingWhy) {
    const CommandLine parsed = Parse(GetParam().arguments);
    EXPECT_EQ(parsed.action, CommandLine::Action::UsageError);
    EXPECT_EQ(parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineRefuses,
    testing::Values(
        UsageErrorCase{"nothing", {}, "--dir is required"},
        UsageErrorCase{"no_accounts", {"--dir", "d"}, "--accounts is required"},
        UsageErrorCase{
            "unknown_option", {"--dir", "d", "--verbose"}, "unknown option \"--verbose\""},
        UsageErrorCase{"stray_argument", {"d"}, "unknown option \"d\""},
        UsageErrorCase{"missing_value", {"--accounts", "a", "--dir"}, "--dir needs a value"},
        UsageErrorCase{
            "empty_value", {"--dir", "", "--accounts", "a"}, "--dir needs a non-empty value"},
        UsageErrorCase{"port_too_large",
                       {"--dir", "d", "--accounts", "a", "--tls-port", "65536"},
                       "--tls-port takes a port from 0 to 65535, not \"65536\""},
        UsageErrorCase{"port_not_a_number",
                       {"--tls-port", "https"},
                       "--tls-port takes a port from 0 to 65535, not \"https\""},
        UsageErrorCase{"port_negative",
                       {"--tls-port", "-1"},
                       "--tls-port takes a port from 0 to 65535, not \"-1\""},
        UsageErrorCase{"http_port_too_large",
                       {"--http-port", "70000"},
                       "--http-port takes a port from 0 to 65535, not \"70000\""},
        UsageErrorCase{
            "announce_file_missing_value", {"--announce-file"}, "--announce-file needs a value"},
        UsageErrorCase{"heartbeat_port_too_large",
                       {"--dir", "d", "--accounts", "a", "--domestic-port", "70000"},
                       "--domestic-port takes a port from 0 to 65535, not \"70000\""},
        UsageErrorCase{
            "send_empty", {"--dir", "d", "--send", ""}, "--send needs a non-empty value"},
        UsageErrorCase{"bind_host_name",
                       {"--dir", "d", "--accounts", "a", "--bind", "localhost"},
                       "--bind takes a numeric IPv4 or IPv6 address, not \"localhost\""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
