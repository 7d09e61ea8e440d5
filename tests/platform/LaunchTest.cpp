#include "platform/Launch.h"

#include "platform/TerminalEmulator.h"
#include "tests/support/StandIn.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using testsupport::CTempFolder;

using testsupport::CPathForTest;
using testsupport::ReadWhenWritten;

// A stand-in that records its arguments into <folder>/<name>.args.
std::filesystem::path StandIn(const CTempFolder& folder, const std::string& name) {
    return testsupport::WriteStandIn(folder, name, name + ".args");
}

TEST(Launch, FindsAnExecutableOnPathAndPassesOverTheRest) {
    const CTempFolder first;
    const CTempFolder second;
    first.Write("tool", "not executable");
    const std::filesystem::path tool = StandIn(second, "tool");
    const CPathForTest path("::" + first.Path().string() + ":" + second.Path().string());
    EXPECT_EQ(platform::FindOnPath("tool"), tool);
    EXPECT_EQ(platform::FindOnPath("no-such-tool"), std::filesystem::path());
}

TEST(Launch, StartsAProgramWithItsArgumentsAsTheyAre) {
    const CTempFolder folder;
    const std::filesystem::path program = StandIn(folder, "program");
    std::string error;
    ASSERT_TRUE(platform::StartDetached(program, {"a b", "", "$(id)"}, error)) << error;
    EXPECT_EQ(ReadWhenWritten(folder / "program.args"), "a b\n\n$(id)\n");
    EXPECT_FALSE(platform::StartDetached(folder / "missing", {}, error));
    EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
}

TEST(Launch, OpensAFileThroughXdgOpenByItsAbsolutePath) {
    const CTempFolder folder;
    StandIn(folder, "xdg-open");
    const CPathForTest path(folder.Path().string());
    std::string error;
    ASSERT_TRUE(platform::OpenInDesktopApplication("nsr.txt", error)) << error;
    EXPECT_EQ(ReadWhenWritten(folder / "xdg-open.args"),
              (std::filesystem::current_path() / "nsr.txt").string() + "\n");
}

TEST(Launch, SaysSoWhenThereIsNoXdgOpen) {
    const CTempFolder folder;
    const CPathForTest path(folder.Path().string());
    std::string error;
    EXPECT_FALSE(platform::OpenInDesktopApplication("nsr.txt", error));
    EXPECT_EQ(error, "xdg-open is not installed");
}

TEST(TerminalEmulator, PrefersTheSystemsChoiceAndKnowsHowEachTakesACommand) {
    const CTempFolder folder;
    const CPathForTest path(folder.Path().string());
    EXPECT_FALSE(platform::FindTerminalEmulator().has_value());

    StandIn(folder, "xterm");
    StandIn(folder, "xfce4-terminal");
    std::optional<platform::TerminalEmulator> terminal = platform::FindTerminalEmulator();
    ASSERT_TRUE(terminal.has_value());
    EXPECT_EQ(terminal->program, folder / "xfce4-terminal");
    EXPECT_EQ(terminal->CommandLine("/opt/ping-script.sh", {"10.0.0.1", "-t"}),
              (std::vector<std::string>{"-x", "/opt/ping-script.sh", "10.0.0.1", "-t"}));

    StandIn(folder, "x-terminal-emulator");
    terminal = platform::FindTerminalEmulator();
    ASSERT_TRUE(terminal.has_value());
    EXPECT_EQ(terminal->program, folder / "x-terminal-emulator");
    EXPECT_EQ(terminal->commandPrefix, std::vector<std::string>{"-e"});
}

} // namespace
