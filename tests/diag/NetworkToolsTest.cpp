#include "diag/NetworkTools.h"

#include "platform/GbkCodec.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/StandIn.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using testsupport::CTempFolder;

struct PingCase {
    std::string host;
    bool continuous;
    std::string expected;
};

void PrintTo(const PingCase& ping, std::ostream* out) {
    *out << ping.host.size() << " bytes, continuous " << ping.continuous;
}

class PingParameters : public testing::TestWithParam<PingCase> {};

TEST_P(PingParameters, AreTheTargetAndTheContinuousSuffix) {
    EXPECT_EQ(diag::PingParameters(GetParam().host, GetParam().continuous), GetParam().expected);
}

// "测" is B2 E2 in GBK: a cut never splits it.
INSTANTIATE_TEST_SUITE_P(
    Targets, PingParameters,
    testing::Values(PingCase{"10.0.0.1", true, "10.0.0.1 -t"},
                    PingCase{"10.0.0.1", false, "10.0.0.1"}, PingCase{"", true, " -t"},
                    PingCase{"", false, ""}, PingCase{"  host  ", false, "  host  "},
                    PingCase{std::string(1023, 'a'), false, std::string(1023, 'a')},
                    PingCase{std::string(1100, 'a'), true, std::string(1020, 'a') + " -t"},
                    PingCase{std::string(1019, 'a') + "\xB2\xE2", true,
                             std::string(1019, 'a') + " -t"}));

struct SplitCase {
    std::string text;
    std::vector<std::string> words;
};

class SplitParameters : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitParameters, SplitsAtBlanksOnly) {
    EXPECT_EQ(diag::SplitParameters(GetParam().text), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitParameters,
    testing::Values(SplitCase{"", {}}, SplitCase{" \t ", {}},
                    SplitCase{"10.0.0.1 -t", {"10.0.0.1", "-t"}}, SplitCase{"  host\t ", {"host"}},
                    SplitCase{"x; touch /tmp/owned", {"x;", "touch", "/tmp/owned"}},
                    SplitCase{"\"a b\" $(id)", {"\"a", "b\"", "$(id)"}}));

TEST(ToolScripts, AreNamedAfterTheirTools) {
    EXPECT_STREQ(diag::ScriptName(diag::Tool::Ping), "ping-script.sh");
    EXPECT_STREQ(diag::ScriptName(diag::Tool::Tracert), "tracert-script.sh");
    EXPECT_STREQ(diag::ScriptName(diag::Tool::Nslookup), "nslookup-script.sh");
}

// A working directory with stand-ins for the three scripts and for a terminal emulator that
// takes "-e command args...", each recording what it was given.
class ToolLauncher : public testing::Test {
protected:
    void SetUp() override {
        testsupport::WriteStandIn(m_folder, "terminal", "terminal.args", "shift\nexec \"$@\"\n");
        for (const char* script : {"ping-script.sh", "tracert-script.sh", "nslookup-script.sh"}) {
            testsupport::WriteStandIn(m_folder, script, "script.args");
        }
    }

    diag::CToolLauncher Launcher() const {
        return diag::CToolLauncher(m_folder.Path(),
                                   platform::TerminalEmulator{m_folder / "terminal", {"-e"}});
    }

    std::string Recorded(const std::string& file) const {
        return testsupport::ReadWhenWritten(m_folder / file);
    }

    CTempFolder m_folder;
};

TEST_F(ToolLauncher, HandsACommandLikeTargetToTheScriptAsPlainArguments) {
    const std::string owned = (m_folder / "owned").string();
    const std::string target =
        "x; touch " + owned + " $(touch " + owned + ") `touch " + owned + "`";
    std::string error;
    ASSERT_TRUE(Launcher().Launch(diag::Tool::Tracert, target, error)) << error;
    EXPECT_EQ(Recorded("script.args"),
              "x;\ntouch\n" + owned + "\n$(touch\n" + owned + ")\n`touch\n" + owned + "`\n");
    EXPECT_EQ(Recorded("terminal.args"), "-e\n" + (m_folder / "tracert-script.sh").string() +
                                             "\nx;\ntouch\n" + owned + "\n$(touch\n" + owned +
                                             ")\n`touch\n" + owned + "`\n");
    EXPECT_FALSE(std::filesystem::exists(owned));
}

TEST_F(ToolLauncher, RunsThePingScriptWithTheParameterText) {
    std::string error;
    ASSERT_TRUE(Launcher().Launch(diag::Tool::Ping, diag::PingParameters("10.0.0.1", true), error))
        << error;
    EXPECT_EQ(Recorded("script.args"), "10.0.0.1\n-t\n");
}

TEST_F(ToolLauncher, GivesTheScriptTheTargetInUtf8) {
    std::string error;
    ASSERT_TRUE(
        Launcher().Launch(diag::Tool::Nslookup, platform::GbkFromLiteral("校园.测试"), error))
        << error;
    EXPECT_EQ(Recorded("script.args"), "校园.测试\n");
}

TEST_F(ToolLauncher, RefusesWhatItCannotStart) {
    std::string error;
    EXPECT_FALSE(Launcher().Launch(diag::Tool::Ping, "\xB2", error));
    EXPECT_NE(error.find("not GBK"), std::string::npos) << error;
    std::filesystem::remove(m_folder / "ping-script.sh");
    EXPECT_FALSE(Launcher().Launch(diag::Tool::Ping, "10.0.0.1", error));
    EXPECT_NE(error.find("ping-script.sh is not installed"), std::string::npos) << error;
    const diag::CToolLauncher broken(m_folder.Path(),
                                     platform::TerminalEmulator{m_folder / "no-terminal", {}});
    EXPECT_FALSE(broken.Launch(diag::Tool::Tracert, "10.0.0.1", error));
    EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(m_folder / "script.args"));
}

} // namespace
