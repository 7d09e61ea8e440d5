#include "tests/support/BackgroundRun.h"
#include "tests/support/GatewaydProcess.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testsupport::CBackgroundRun;
using testsupport::CGatewaydProcess;
using testsupport::CTempFolder;
using testsupport::Occurrences;

// Each test has an account of its own, so that their connection counts stay apart.
constexpr const char* kAccounts = "[drop]\npassword = Drop-pass-1\nconnection-limit = 1\n"
                                  "[term]\npassword = Term-pass-1\nconnection-limit = 1\n"
                                  "[stay]\npassword = Stay-pass-1\nconnection-limit = 1\n"
                                  "[fail]\npassword = Fail-pass-1\nconnection-limit = 1\n"
                                  "[wake]\npassword = Wake-pass-1\nconnection-limit = 1\n";

// One gatewayd with both heartbeat responders for the suite.
class KeepTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = std::make_unique<CTempFolder>();
        const std::filesystem::path& root = s_folder->Path();
        s_folder->Write("accounts.ini", kAccounts);
        s_gatewayd = std::make_unique<CGatewaydProcess>(root);
        ASSERT_TRUE(s_gatewayd->Start({"--dir", (root / "gateway").string(), "--accounts",
                                       (root / "accounts.ini").string(), "--tls-port", "0",
                                       "--campus-port", "0", "--domestic-port", "0", "--port-file",
                                       (root / "port").string()}));
        s_tls = s_gatewayd->WaitForPort(root / "port").value_or(0);
        s_campus = s_gatewayd->WaitForPort(root / "port", "campus").value_or(0);
        s_domestic = s_gatewayd->WaitForPort(root / "port", "domestic").value_or(0);
        ASSERT_TRUE(s_tls != 0 && s_campus != 0 && s_domestic != 0) << s_gatewayd->Stderr();
    }

    static void TearDownTestSuite() {
        s_gatewayd->Signal(SIGTERM);
        s_gatewayd->WaitForExit();
        s_gatewayd.reset();
        s_folder.reset();
    }

    // A working directory that trusts gatewayd, with settings naming its responders (or the
    // heartbeat entries given).
    static std::filesystem::path Workdir(const std::string& name, std::string entries = "") {
        if (entries.empty()) {
            entries = "<HBSCam>127.0.0.1:" + std::to_string(s_campus) +
                      "</HBSCam><HBSDom>127.0.0.1:" + std::to_string(s_domestic) + "</HBSDom>";
        }
        std::filesystem::path workdir = s_folder->Path() / name;
        std::filesystem::create_directories(workdir);
        std::filesystem::copy_file(s_folder->Path() / "gateway" / "ca.cer", workdir / "ca.cer");
        testsupport::WriteBytes(workdir / "config.xml",
                                "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<VORNClientConfig>"
                                "<Style ConPrompt=\"false\" AutoLogon=\"false\"/><Log/>" +
                                    entries + "</VORNClientConfig>\n");
        return workdir;
    }

    static std::vector<std::string> Arguments(const std::filesystem::path& workdir,
                                              const std::vector<std::string>& options) {
        std::vector<std::string> arguments = {"--workdir", workdir.string(), "--gateway",
                                              "localhost:" + std::to_string(s_tls), "keep"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return arguments;
    }

    static std::string Control(const std::string& line) {
        return testsupport::SendGatewaydCommand(s_folder->Path() / "gateway", line);
    }

    static inline std::unique_ptr<CTempFolder> s_folder;
    static inline std::unique_ptr<CGatewaydProcess> s_gatewayd;
    static inline std::uint16_t s_tls = 0;
    static inline std::uint16_t s_campus = 0;
    static inline std::uint16_t s_domestic = 0;
};

TEST_F(KeepTest, ReconnectsAfterTheGatewayDropsTheConnection) {
    const std::filesystem::path workdir = Workdir("drop");
    CBackgroundRun keep(VORNCTL_PATH, Arguments(workdir, {"-u", "drop", "-p", "Drop-pass-1"}),
                        workdir, "keep");
    // The first domestic answer comes one probe cycle (5 s) after the start.
    const std::string connected = keep.WaitForOutputHolding("reach domestic\n");
    ASSERT_EQ(connected.rfind("状态\t已连接\n用户名\tdrop\n", 0), 0U) << connected << keep.Err();
    EXPECT_EQ(Control("connections drop"), "ok 1");

    EXPECT_EQ(Control("drop drop"), "ok dropped 1");
    // Two missed domestic probes (about 20 s) bring the state down, then one reconnect.
    const std::string reconnected = keep.WaitForOutputHolding(" reconnected from ");
    EXPECT_NE(reconnected.find(" reach campus\n"), std::string::npos) << reconnected;
    EXPECT_NE(reconnected.find(" reconnecting: the domestic heartbeat server stopped answering\n"),
              std::string::npos)
        << reconnected;
    EXPECT_NE(reconnected.find(" reconnected from 127.0.0.1, 1 connection(s) open\n"),
              std::string::npos)
        << reconnected;
    EXPECT_EQ(Control("connections drop"), "ok 1");
    // The domestic responder answers again once the account is back.
    EXPECT_EQ(Occurrences(keep.WaitForOutputHolding("reach domestic\n", 2), "reach domestic\n"), 2);

    EXPECT_EQ(keep.Stop(SIGTERM), 0);
    EXPECT_NE(keep.Out().find(" stopped and disconnected\n"), std::string::npos) << keep.Out();
    EXPECT_EQ(Occurrences(keep.Out(), "reconnecting"), 1) << keep.Out();
    EXPECT_EQ(Control("connections drop"), "ok 0");
    EXPECT_EQ(keep.Err(), "");
}

TEST_F(KeepTest, ReconnectsAfterAResumeThatLogindAnnounces) {
    const CTempFolder busFolder;
    const testsupport::CPrivateBus bus(busFolder);
    ASSERT_TRUE(bus.IsUp());
    // vornctl inherits the address.
    const testsupport::CSystemBusAddress address(bus.Address());
    testsupport::CFakeLogind logind;
    ASSERT_TRUE(logind.IsReady());
    const std::filesystem::path workdir = Workdir("wake");
    CBackgroundRun keep(VORNCTL_PATH, Arguments(workdir, {"-u", "wake", "-p", "Wake-pass-1"}),
                        workdir, "keep");
    ASSERT_NE(keep.WaitForOutputHolding(" reach campus\n").find(" reach campus\n"),
              std::string::npos)
        << keep.Err();
    // The watch listens before the first reachability line.
    ASSERT_TRUE(logind.PrepareForSleep(false));
    std::string out = keep.WaitForOutputHolding(" reconnected from ");
    EXPECT_NE(out.find(" resumed from suspend\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" reconnecting: the machine resumed from suspend\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find(" reconnected from 127.0.0.1, 1 connection(s) open\n"), std::string::npos)
        << out;
    EXPECT_EQ(Control("connections wake"), "ok 1");
    EXPECT_EQ(keep.Stop(SIGTERM), 0);
    EXPECT_EQ(Control("connections wake"), "ok 0");
    EXPECT_EQ(keep.Err(), "");
}

struct StopCase {
    std::string account;
    std::vector<std::string> options;
    int signal;
    std::string lastLine; // without its time stamp
    std::string connectionsAfter;
};

std::ostream& operator<<(std::ostream& out, const StopCase& row) {
    return out << row.account;
}

class KeepStopTest : public KeepTest, public testing::WithParamInterface<StopCase> {};

TEST_P(KeepStopTest, DisconnectsUnlessToldToStay) {
    const StopCase& row = GetParam();
    const std::filesystem::path workdir = Workdir(row.account);
    std::vector<std::string> options = {"-u", row.account, "-p", row.options.front()};
    options.insert(options.end(), row.options.begin() + 1, row.options.end());
    CBackgroundRun keep(VORNCTL_PATH, Arguments(workdir, options), workdir, "keep");
    ASSERT_NE(keep.WaitForOutputHolding(" reach campus\n").find(" reach campus\n"),
              std::string::npos)
        << keep.Err();
    EXPECT_EQ(Control("connections " + row.account), "ok 1");
    EXPECT_EQ(keep.Stop(row.signal), 0);
    EXPECT_TRUE(keep.Out().ends_with(" " + row.lastLine + "\n")) << keep.Out();
    EXPECT_EQ(Control("connections " + row.account), row.connectionsAfter);
    EXPECT_EQ(keep.Err(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Signals, KeepStopTest,
    testing::Values(
        StopCase{"term", {"Term-pass-1"}, SIGTERM, "stopped and disconnected", "ok 0"},
        StopCase{"stay", {"Stay-pass-1", "--stay"}, SIGINT, "stopped, staying connected", "ok 1"}),
    [](const testing::TestParamInfo<StopCase>& info) { return info.param.account; });

struct FirstConnectCase {
    std::string name;
    std::vector<std::string> options;
    std::string entries; // empty: gatewayd's responders
    int exitCode;
    std::string errStart;
};

std::ostream& operator<<(std::ostream& out, const FirstConnectCase& row) {
    return out << row.name;
}

class KeepFirstConnectTest : public KeepTest,
                             public testing::WithParamInterface<FirstConnectCase> {};

TEST_P(KeepFirstConnectTest, EndsAsConnectWouldWhenItCannotStart) {
    const FirstConnectCase& row = GetParam();
    const std::filesystem::path workdir = Workdir(row.name, row.entries);
    const testsupport::ProgramRun run =
        testsupport::RunProgram(VORNCTL_PATH, Arguments(workdir, row.options), "", workdir);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(row.errStart, 0), 0U) << run.err;
    EXPECT_EQ(Control("connections fail"), "ok 0");
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, KeepFirstConnectTest,
    testing::Values(
        FirstConnectCase{"wrong_password", {"-u", "fail", "-p", "nope"}, "", 1, "vornctl: "},
        FirstConnectCase{"no_default_account", {}, "", 2, "vornctl: there is no default account"},
        FirstConnectCase{"no_heartbeat_servers",
                         {"-u", "fail", "-p", "Fail-pass-1"},
                         "<HBSInt>127.0.0.1:9</HBSInt>",
                         4,
                         "vornctl: the settings name no usable heartbeat server"}),
    [](const testing::TestParamInfo<FirstConnectCase>& info) { return info.param.name; });

} // namespace
