#include "tests/support/BackgroundRun.h"
#include "tests/support/GatewaydProcess.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testsupport::CGatewaydProcess;
using testsupport::CTempFolder;
using testsupport::ProgramRun;

// One gatewayd with both heartbeat responders for the suite. vornctl probes every 5 s, so
// what takes longer (a level lost about 20 s after its server falls silent) is shown by the
// heartbeat tests with a short interval instead.
class WatchTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = std::make_unique<CTempFolder>();
        const std::filesystem::path& root = s_folder->Path();
        s_folder->Write("accounts.ini", "[a]\npassword = Secret-1\n");
        s_gatewayd = std::make_unique<CGatewaydProcess>(root);
        ASSERT_TRUE(s_gatewayd->Start({"--dir", (root / "gateway").string(), "--accounts",
                                       (root / "accounts.ini").string(), "--tls-port", "0",
                                       "--campus-port", "0", "--domestic-port", "0", "--port-file",
                                       (root / "port").string()}));
        s_campus = s_gatewayd->WaitForPort(root / "port", "campus").value_or(0);
        s_domestic = s_gatewayd->WaitForPort(root / "port", "domestic").value_or(0);
        ASSERT_NE(s_campus, 0) << s_gatewayd->Stderr();
        ASSERT_NE(s_domestic, 0) << s_gatewayd->Stderr();
    }

    static void TearDownTestSuite() {
        s_gatewayd->Signal(SIGTERM);
        s_gatewayd->WaitForExit();
        s_gatewayd.reset();
        s_folder.reset();
    }

    // A working directory whose settings hold the heartbeat entries given.
    static std::filesystem::path Workdir(const std::string& name, const std::string& entries) {
        std::filesystem::path workdir = s_folder->Path() / name;
        std::filesystem::create_directories(workdir);
        testsupport::WriteBytes(workdir / "config.xml",
                                "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<VORNClientConfig>" +
                                    entries + "</VORNClientConfig>\n");
        return workdir;
    }

    // Both entries naming gatewayd's responders.
    static std::filesystem::path AnsweredWorkdir(const std::string& name) {
        return Workdir(name, "<HBSCam>127.0.0.1:" + std::to_string(s_campus) +
                                 "</HBSCam><HBSDom>localhost:" + std::to_string(s_domestic) +
                                 "</HBSDom>");
    }

    static ProgramRun Watch(const std::filesystem::path& workdir,
                            const std::vector<std::string>& options) {
        std::vector<std::string> arguments = {"--workdir", workdir.string(), "watch"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return testsupport::RunProgram(VORNCTL_PATH, arguments, "", workdir);
    }

    static inline std::unique_ptr<CTempFolder> s_folder;
    static inline std::unique_ptr<CGatewaydProcess> s_gatewayd;
    static inline std::uint16_t s_campus = 0;
    static inline std::uint16_t s_domestic = 0;
};

// A vornctl watch running in the background, its output in files.
class CWatchRun : public testsupport::CBackgroundRun {
public:
    explicit CWatchRun(const std::filesystem::path& workdir)
        : CBackgroundRun(VORNCTL_PATH, {"--workdir", workdir.string(), "watch"}, workdir, "watch") {
    }
};

TEST_F(WatchTest, ShowsCampusThenDomesticUntilInterrupted) {
    CWatchRun watch(AnsweredWorkdir("both"));
    // The first domestic answer comes one probe cycle (5 s) after the start.
    EXPECT_EQ(watch.WaitForOutput("campus\ndomestic\n"), "campus\ndomestic\n") << watch.Err();
    EXPECT_EQ(watch.Stop(SIGINT), 0);
    EXPECT_EQ(watch.Out(), "campus\ndomestic\n");
    EXPECT_EQ(watch.Err(), "");
}

TEST_F(WatchTest, EndsCleanlyOnSigterm) {
    CWatchRun watch(AnsweredWorkdir("term"));
    EXPECT_EQ(watch.WaitForOutput("campus\n"), "campus\n") << watch.Err();
    EXPECT_EQ(watch.Stop(SIGTERM), 0);
    EXPECT_EQ(watch.Err(), "");
}

TEST_F(WatchTest, EndsAfterTheSecondsGiven) {
    const ProgramRun run = Watch(AnsweredWorkdir("seconds"), {"--seconds", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "campus\n");
    EXPECT_EQ(run.err, "");
}

struct SettingsCase {
    std::string name;
    std::string entries;
    int exitCode;
    std::string out;
    std::string err;
};

std::ostream& operator<<(std::ostream& out, const SettingsCase& row) {
    return out << row.name;
}

class WatchSettingsTest : public WatchTest, public testing::WithParamInterface<SettingsCase> {};

TEST_P(WatchSettingsTest, NeedsAUsableEntry) {
    const SettingsCase& row = GetParam();
    const ProgramRun run = Watch(Workdir(row.name, row.entries), {"--seconds", "0"});
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err, row.err);
}

const std::string kNoServers =
    "vornctl: the settings name no usable heartbeat server: HBSCam and HBSDom are missing or "
    "not of the form host:port\n";

INSTANTIATE_TEST_SUITE_P(
    Entries, WatchSettingsTest,
    testing::Values(
        SettingsCase{"none", "<HBSInt>i:1</HBSInt>", 4, "", kNoServers},
        SettingsCase{"no_colons", "<HBSCam>campus</HBSCam><HBSDom>dom</HBSDom>", 4, "", kNoServers},
        SettingsCase{"bad_port", "<HBSCam>c:99999</HBSCam><HBSDom>:5</HBSDom>", 4, "", kNoServers},
        SettingsCase{"campus_only", "<HBSCam>127.0.0.1:9</HBSCam>", 0, "campus\n",
                     "vornctl: warning: HBSDom is missing or not of the form host:port; that "
                     "server is not probed\n"},
        SettingsCase{"domestic_only", "<HBSDom>127.0.0.1:9</HBSDom>", 0, "campus\n",
                     "vornctl: warning: HBSCam is missing or not of the form host:port; that "
                     "server is not probed\n"}),
    [](const testing::TestParamInfo<SettingsCase>& info) { return info.param.name; });

TEST_F(WatchTest, RefusesAnUnusableDuration) {
    for (const char* seconds : {"-1", "soon", "86401"}) {
        const ProgramRun run = Watch(AnsweredWorkdir("duration"), {"--seconds", seconds});
        EXPECT_EQ(run.exitCode, 64) << seconds;
        EXPECT_EQ(run.out, "") << seconds;
        EXPECT_NE(run.err.find("--seconds"), std::string::npos) << run.err;
    }
}

} // namespace
