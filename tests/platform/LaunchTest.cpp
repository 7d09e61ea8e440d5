#include "platform/Launch.h"

#include "platform/TerminalEmulator.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using testsupport::CTempFolder;

// Sets PATH for one test and puts the old one back. The tests change the environment only
// here, on the test's own thread, while no other thread reads it.
class CPathForTest {
public:
    explicit CPathForTest(const std::string& path) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe)
        if (const char* old = std::getenv("PATH"); old != nullptr) {
            m_old = old;
        }
        setenv("PATH", path.c_str(), 1); // NOLINT(concurrency-mt-unsafe)
    }
    ~CPathForTest() { setenv("PATH", m_old.c_str(), 1); } // NOLINT(concurrency-mt-unsafe)
    CPathForTest(const CPathForTest&) = delete;
    CPathForTest& operator=(const CPathForTest&) = delete;

private:
    std::string m_old;
};

// An executable stand-in that records its arguments, one a line, into <folder>/<name>.args.
std::filesystem::path StandIn(const CTempFolder& folder, const std::string& name) {
    const std::filesystem::path record = folder / (name + ".args");
    std::filesystem::path path = folder.Write(
        name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.string() + ".part'\n" + "/bin/mv '" +
                  record.string() + ".part' '" + record.string() + "'\n");
    EXPECT_EQ(chmod(path.c_str(), 0755), 0);
    return path;
}

std::string RecordedSoon(const std::filesystem::path& record) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(record) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return testsupport::ReadFile(record);
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
    EXPECT_EQ(RecordedSoon(folder / "program.args"), "a b\n\n$(id)\n");
    EXPECT_FALSE(platform::StartDetached(folder / "missing", {}, error));
    EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
}

TEST(Launch, OpensAFileThroughXdgOpenByItsAbsolutePath) {
    const CTempFolder folder;
    StandIn(folder, "xdg-open");
    const CPathForTest path(folder.Path().string());
    std::string error;
    ASSERT_TRUE(platform::OpenInDesktopApplication("nsr.txt", error)) << error;
    EXPECT_EQ(RecordedSoon(folder / "xdg-open.args"),
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
