#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::CTempFolder;
using testsupport::PermissionBits;
using testsupport::ProgramRun;
using testsupport::ReadBytes;
using testsupport::RunProgram;

// The bytes of a file, read in one piece (the programs are large).
std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(file.tellg()), '\0');
    file.seekg(0);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(file.good()) << path;
    return bytes;
}

// Every file and folder under root with its mode and, for a file, its bytes' hash: two
// snapshots compare equal only when nothing under root changed.
std::string Snapshot(const fs::path& root) {
    std::string snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat status {};
        lstat(entry.path().c_str(), &status);
        snapshot += fs::relative(entry.path(), root).string() + " " +
                    std::to_string(status.st_mode) + " " + std::to_string(status.st_size);
        if (entry.is_regular_file()) {
            snapshot += " " + std::to_string(std::hash<std::string>()(Contents(entry.path())));
        }
        snapshot += "\n";
    }
    return snapshot;
}

// The build installed under /usr into a DESTDIR of the test's own, once for the suite.
class InstallTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = std::make_unique<CTempFolder>();
        const ProgramRun install = RunProgram("/usr/bin/env",
                                              {"DESTDIR=" + Dest().string(), VORN_CMAKE_COMMAND,
                                               "--install", VORN_BUILD_TREE, "--prefix", "/usr"},
                                              "", s_root->Path());
        ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    }
    static void TearDownTestSuite() { s_root.reset(); }

    static fs::path Dest() { return s_root->Path() / "dest"; }
    static fs::path Usr() { return Dest() / "usr"; }

    // Runs the installed vornctl with only the given environment (and PATH).
    static ProgramRun Vornctl(const std::vector<std::string>& environment,
                              const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {"-i", "PATH=/usr/bin:/bin"};
        command.insert(command.end(), environment.begin(), environment.end());
        command.push_back((Usr() / "bin" / "vornctl").string());
        command.insert(command.end(), arguments.begin(), arguments.end());
        return RunProgram("/usr/bin/env", command, "", s_root->Path());
    }

    static inline std::unique_ptr<CTempFolder> s_root;
};

struct InstalledFile {
    const char* path;
    mode_t mode;
};

TEST_F(InstallTest, InstallsEveryFileWithItsMode) {
    std::vector<InstalledFile> files = {
        {"bin/vornctl", 0755},
        {"share/vornclient/config.xml", 0644},
        {"share/vornclient/ping-script.sh", 0755},
        {"share/vornclient/tracert-script.sh", 0755},
        {"share/vornclient/nslookup-script.sh", 0755},
        {"share/man/man1/vornctl.1.gz", 0644},
        {"share/doc/vornclient/copyright", 0644},
        {"share/doc/vornclient/changelog.gz", 0644},
        {"lib/systemd/system/vornctl-guard.service", 0644},
        {"lib/systemd/user/vornctl-keep.service", 0644},
    };
    if (VORN_DESKTOP_BUILT) {
        files.insert(files.end(), {{"bin/vornclient", 0755},
                                   {"share/applications/vornclient.desktop", 0644},
                                   {"share/icons/hicolor/scalable/apps/vornclient.svg", 0644},
                                   {"share/man/man1/vornclient.1.gz", 0644}});
    }
    for (const InstalledFile& file : files) {
        SCOPED_TRACE(file.path);
        ASSERT_TRUE(fs::is_regular_file(Usr() / file.path));
        EXPECT_EQ(PermissionBits(Usr() / file.path), file.mode);
    }
    // Nothing beside the programs in bin.
    EXPECT_EQ(testsupport::Listing(Usr() / "bin"),
              VORN_DESKTOP_BUILT ? "vornclient vornctl" : "vornctl");
}

TEST_F(InstallTest, UnitsNameTheInstalledProgramAndFiles) {
    const std::string unit = ReadBytes(Usr() / "lib/systemd/system/vornctl-guard.service");
    EXPECT_NE(unit.find("\nExecStart=/usr/bin/vornctl --workdir %S/vornclient-guard guard\n"),
              std::string::npos)
        << unit;
    EXPECT_NE(unit.find(" /usr/share/vornclient/config.xml "), std::string::npos) << unit;
    EXPECT_EQ(unit.find("@VORN"), std::string::npos) << unit;
    const std::string keep = ReadBytes(Usr() / "lib/systemd/user/vornctl-keep.service");
    EXPECT_NE(keep.find("\nExecStart=/usr/bin/vornctl keep\n"), std::string::npos) << keep;
    EXPECT_EQ(keep.find("@VORN"), std::string::npos) << keep;
}

// The guard runs as root's helper with a network capability, so its sandbox is held to
// systemd's "OK" rating: an exposure of 2.0 or less out of 10.
TEST_F(InstallTest, GuardUnitKeepsItsExposureLow) {
    const ProgramRun security =
        RunProgram("/usr/bin/env",
                   {"systemd-analyze", "security", "--offline=yes", "--threshold=20",
                    (Usr() / "lib/systemd/system/vornctl-guard.service").string()},
                   "", s_root->Path());
    EXPECT_EQ(security.exitCode, 0) << security.out << security.err;
}

struct UserFolderCase {
    const char* name;
    bool dataHomeSet;
};

void PrintTo(const UserFolderCase& param, std::ostream* out) {
    *out << param.name;
}

class InstalledVornctlTest : public InstallTest,
                             public testing::WithParamInterface<UserFolderCase> {};

TEST_P(InstalledVornctlTest, WorksInThePerUserFolderAndKeepsTheUsersFiles) {
    const CTempFolder user;
    std::vector<std::string> environment = {"HOME=" + (user / "home").string()};
    fs::path folder = user / "home" / ".local" / "share" / "vornclient";
    if (GetParam().dataHomeSet) {
        environment.push_back("XDG_DATA_HOME=" + (user / "data").string());
        folder = user / "data" / "vornclient";
    }
    const std::string before = Snapshot(Dest());

    const ProgramRun accounts = Vornctl(environment, {"accounts"});
    ASSERT_EQ(accounts.exitCode, 0) << accounts.err;
    EXPECT_EQ(accounts.out, "automatic log-on: off, arrears prompt: on\n");
    EXPECT_EQ(PermissionBits(folder), 0700u);
    EXPECT_EQ(ReadBytes(folder / "config.xml"), ReadBytes(Usr() / "share/vornclient/config.xml"));
    for (const char* script : {"ping-script.sh", "tracert-script.sh", "nslookup-script.sh"}) {
        EXPECT_EQ(ReadBytes(folder / script), ReadBytes(Usr() / "share/vornclient" / script));
        EXPECT_EQ(PermissionBits(folder / script), 0700u);
    }

    // The next start leaves the user's own document alone, and the report lands beside it.
    testsupport::WriteBytes(folder / "config.xml", "<VORNClientConfig><Log/></VORNClientConfig>");
    const ProgramRun report = Vornctl(environment, {"report"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(report.out, (folder / "nsr.txt").string() + "\n");
    EXPECT_EQ(ReadBytes(folder / "config.xml"), "<VORNClientConfig><Log/></VORNClientConfig>");

    EXPECT_EQ(Snapshot(Dest()), before);
    EXPECT_EQ(testsupport::Listing(user.Path()), GetParam().dataHomeSet ? "data" : "home");
}

INSTANTIATE_TEST_SUITE_P(Cases, InstalledVornctlTest,
                         testing::Values(UserFolderCase{"DataHomeSet", true},
                                         UserFolderCase{"HomeOnly", false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct WindowFolderCase {
    const char* name;
    bool workdirGiven;
};

void PrintTo(const WindowFolderCase& param, std::ostream* out) {
    *out << param.name;
}

class InstalledVornclientTest : public InstallTest,
                                public testing::WithParamInterface<WindowFolderCase> {};

// The desktop program seals its settings at start, so "config" tells which folder it chose.
TEST_P(InstalledVornclientTest, SealsItsSettingsInTheChosenFolder) {
    if (!VORN_DESKTOP_BUILT) {
        GTEST_SKIP() << "built without the desktop program";
    }
    const CTempFolder user;
    const CTempFolder scratch;
    const fs::path dataHome = user / "data";
    fs::path folder = dataHome / "vornclient";
    std::vector<std::string> arguments = {"-i",
                                          "PATH=/usr/bin:/bin",
                                          "QT_QPA_PLATFORM=offscreen",
                                          "HOME=" + (user / "home").string(),
                                          "XDG_DATA_HOME=" + dataHome.string(),
                                          (Usr() / "bin" / "vornclient").string(),
                                          "--instance-name",
                                          (scratch / "socket").string()};
    if (GetParam().workdirGiven) {
        folder = user / "chosen";
        fs::create_directories(folder);
        fs::copy_file(Usr() / "share/vornclient/config.xml", folder / "config.xml");
        arguments.insert(arguments.end(), {"--workdir", folder.string()});
    }
    const std::string before = Snapshot(Dest());
    const pid_t pid = testsupport::SpawnProgram("/usr/bin/env", arguments,
                                                {"", scratch / "out", scratch / "err"});
    ASSERT_GT(pid, 0);
    for (int wait = 0; wait < 3000 && !fs::exists(folder / "config"); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(folder / "config")) << testsupport::ReadFile(scratch / "err");
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    const std::optional<int> status = testsupport::WaitForProgram(pid);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    EXPECT_EQ(fs::exists(dataHome), !GetParam().workdirGiven);
    EXPECT_EQ(Snapshot(Dest()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, InstalledVornclientTest,
                         testing::Values(WindowFolderCase{"PerUserFolder", false},
                                         WindowFolderCase{"WorkdirGiven", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallTest, WorkdirOptionWinsOverThePerUserFolder) {
    const CTempFolder user;
    const CTempFolder workdir;
    const ProgramRun accounts = Vornctl({"HOME=" + user.Path().string()},
                                        {"--workdir", workdir.Path().string(), "accounts"});
    EXPECT_EQ(accounts.exitCode, 0) << accounts.err;
    EXPECT_EQ(user.Listing(), "");
}

TEST_F(InstallTest, NoHomeFolderIsASettingsFailure) {
    const ProgramRun accounts = Vornctl({}, {"accounts"});
    EXPECT_EQ(accounts.exitCode, 1);
    EXPECT_EQ(accounts.err,
              "vornctl: there is no home folder for the settings: set HOME or XDG_DATA_HOME\n");
}

TEST_F(InstallTest, DesktopEntryIsValid) {
    if (!VORN_DESKTOP_BUILT) {
        GTEST_SKIP() << "built without the desktop program";
    }
    const ProgramRun check = RunProgram(
        "/usr/bin/env",
        {"desktop-file-validate", (Usr() / "share/applications/vornclient.desktop").string()}, "",
        s_root->Path());
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.out + check.err, "");
}

TEST_F(InstallTest, ManPagesRenderWithoutWarnings) {
    std::vector<std::pair<const char*, const char*>> pages = {{"vornctl", "VORNCTL(1)"}};
    if (VORN_DESKTOP_BUILT) {
        pages.emplace_back("vornclient", "VORNCLIENT(1)");
    }
    for (const auto& [name, title] : pages) {
        SCOPED_TRACE(name);
        const ProgramRun man =
            RunProgram("/usr/bin/env",
                       {"LC_ALL=C.UTF-8", "MANWIDTH=80", "man", "--warnings", "-l",
                        (Usr() / "share/man/man1" / (std::string(name) + ".1.gz")).string()},
                       "", s_root->Path());
        EXPECT_EQ(man.exitCode, 0);
        EXPECT_EQ(man.err, "");
        EXPECT_TRUE(man.out.starts_with(title)) << man.out.substr(0, 200);
        EXPECT_NE(man.out.find("VORNClient " + std::string(VORN_PROJECT_VERSION)),
                  std::string::npos);
    }
}

// systemd checks that a unit's programs exist, so the units are checked in an installation
// whose prefix is real rather than under a DESTDIR.
TEST_F(InstallTest, EveryUnitPassesSystemdVerify) {
    const fs::path prefix = s_root->Path() / "prefix";
    const ProgramRun install =
        RunProgram(VORN_CMAKE_COMMAND, {"--install", VORN_BUILD_TREE, "--prefix", prefix.string()},
                   "", s_root->Path());
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    const fs::path runtime = s_root->Path() / "runtime";
    fs::create_directories(runtime);
    int units = 0;
    for (const char* kind : {"system", "user"}) {
        const fs::path folder = prefix / "lib/systemd" / kind;
        if (!fs::exists(folder)) {
            continue;
        }
        for (const auto& entry : fs::directory_iterator(folder)) {
            SCOPED_TRACE(entry.path());
            ++units;
            EXPECT_NE(ReadBytes(entry.path()).find("ExecStart=" + (prefix / "bin").string()),
                      std::string::npos);
            // --man=no: the man pages named in Documentation= are not the machine's own.
            const ProgramRun verify =
                RunProgram("/usr/bin/env",
                           {"XDG_RUNTIME_DIR=" + runtime.string(), "systemd-analyze",
                            std::string("--") + kind, "verify", "--man=no", entry.path().string()},
                           "", s_root->Path());
            EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
            EXPECT_EQ(verify.out + verify.err, "");
        }
    }
    EXPECT_GE(units, 1);
}

} // namespace
