#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>

namespace {

using testsupport::CTempFolder;

struct ScriptCase {
    const char* script;
    std::vector<std::string> arguments;
    const char* command;  // the network command the script should run
    std::string expected; // its arguments, one a line; empty when it must not run
};

void PrintTo(const ScriptCase& run, std::ostream* out) {
    *out << run.script;
    for (const std::string& argument : run.arguments) {
        *out << " [" << argument << "]";
    }
}

class ToolScript : public testing::TestWithParam<ScriptCase> {};

// The shipped script runs with a PATH of stand-ins only, which record their arguments.
TEST_P(ToolScript, RunsItsCommandWithTheTargetAsOneArgument) {
    const CTempFolder folder;
    const std::filesystem::path record = folder / "command.args";
    const std::filesystem::path standIn = folder.Write(
        GetParam().command, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.string() + "'\n");
    ASSERT_EQ(chmod(standIn.c_str(), 0755), 0);
    std::vector<std::string> arguments = {"PATH=" + folder.Path().string(), "/bin/sh",
                                          std::string(VORN_RESOURCES_DIR) + "/" +
                                              GetParam().script};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const testsupport::ProgramRun run =
        testsupport::RunProgram("/usr/bin/env", arguments, "", folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testsupport::ReadFile(record), GetParam().expected) << run.out;
    // A command slipped into the target would have run in this working directory.
    EXPECT_FALSE(std::filesystem::exists("owned"));
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ToolScript,
    testing::Values(
        ScriptCase{"ping-script.sh", {"10.0.0.1"}, "ping", "-c\n4\n--\n10.0.0.1\n"},
        ScriptCase{"ping-script.sh", {"10.0.0.1", "-t"}, "ping", "--\n10.0.0.1\n"},
        ScriptCase{"ping-script.sh", {"-t"}, "ping", ""},
        ScriptCase{"ping-script.sh", {"x;", "touch", "owned"}, "ping", "-c\n4\n--\nx;\n"},
        ScriptCase{"ping-script.sh", {"$(touch", "owned)"}, "ping", "-c\n4\n--\n$(touch\n"},
        ScriptCase{"tracert-script.sh", {"-f", "x"}, "traceroute", "--\n-f\n"},
        ScriptCase{"tracert-script.sh", {"host"}, "tracepath", "--\nhost\n"},
        ScriptCase{"nslookup-script.sh", {"campus.example"}, "nslookup", "campus.example\n"},
        ScriptCase{"nslookup-script.sh", {"-query=any"}, "nslookup", ""},
        ScriptCase{"nslookup-script.sh", {"a;b", "owned"}, "getent", "ahosts\n--\na;b\n"}));

} // namespace
