#include "config/ProtectData.h"
#include "platform/FixedMachineIdentity.h"
#include "tests/support/GatewaydProcess.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TlsTestServer.h"
#include "tools/gatewayd/Certificates.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testsupport::CGatewaydProcess;
using testsupport::CTempFolder;
using testsupport::ProgramRun;

constexpr const char* kAccounts = R"([alice]
password = Secret-99
balance = 36.80
package = 包月20元
time-used = 31小时
paid-addresses = yes
connection-limit = 1

[bob]
password = Bob-pass-1
balance = 1.00
paid-addresses = no
connection-limit = 3

[carol]
password = Carol pw 7
connection-limit = 3

[weak]
password = abc
connection-limit = 3

[dave]
password = Dave-pass-4
paid-addresses = yes
connection-limit = 50

[erin]
password = Erin-pass-5
connection-limit = 50
)";

// One gatewayd for the suite, and a working directory that trusts it.
class VornctlTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = std::make_unique<CTempFolder>();
        const std::filesystem::path& root = s_folder->Path();
        std::filesystem::create_directories(root / "gateway");
        std::filesystem::create_directories(root / "client");
        std::filesystem::create_directories(root / "untrusting");
        s_folder->Write("accounts.ini", kAccounts);
        s_gatewayd = std::make_unique<CGatewaydProcess>(root);
        ASSERT_TRUE(s_gatewayd->Start({"--dir", (root / "gateway").string(), "--accounts",
                                       (root / "accounts.ini").string(), "--tls-port", "0",
                                       "--port-file", (root / "port").string()}));
        const std::optional<std::uint16_t> port = s_gatewayd->WaitForPort(root / "port");
        ASSERT_TRUE(port.has_value()) << s_gatewayd->Stderr();
        s_port = *port;
        std::filesystem::copy_file(root / "gateway" / "ca.cer", root / "client" / "ca.cer");
    }

    static void TearDownTestSuite() {
        s_gatewayd->Signal(SIGTERM);
        s_gatewayd->WaitForExit();
        s_gatewayd.reset();
        s_folder.reset();
    }

    static ProgramRun Vornctl(const std::vector<std::string>& arguments,
                              const std::string& input = "",
                              const std::string& workdir = "client") {
        std::vector<std::string> full = {"--workdir", (s_folder->Path() / workdir).string(),
                                         "--gateway", "localhost:" + std::to_string(s_port)};
        full.insert(full.end(), arguments.begin(), arguments.end());
        return testsupport::RunProgram(VORNCTL_PATH, full, input, s_folder->Path());
    }

    // A fresh working directory that trusts the server and has no settings yet.
    static std::string NewWorkdir(const std::string& name) {
        const std::filesystem::path workdir = s_folder->Path() / name;
        std::filesystem::create_directories(workdir);
        std::filesystem::copy_file(s_folder->Path() / "gateway" / "ca.cer", workdir / "ca.cer");
        return name;
    }

    static inline std::unique_ptr<CTempFolder> s_folder;
    static inline std::unique_ptr<CGatewaydProcess> s_gatewayd;
    static inline std::uint16_t s_port = 0;
};

TEST_F(VornctlTest, ConnectPrintsTheStatusRows) {
    const ProgramRun run =
        Vornctl({"connect", "-u", "alice", "-p", "Secret-99", "--range", "paid"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "状态\t已连接\n"
                       "用户名\talice\n"
                       "当前地址\t127.0.0.1\n"
                       "包月状态\t包月20元\n"
                       "已用时长\t31小时\n"
                       "访问范围\t免费地址、收费地址\n"
                       "当前连接\t1\n"
                       "余额\t36.80\n"
                       "注意交费\t建议使用校园卡交费\n");
    EXPECT_EQ(run.err, "");

    // alice may hold one connection: a second one is refused until all are disconnected.
    const ProgramRun second = Vornctl({"connect", "-u", "alice", "-p", "Secret-99"});
    EXPECT_EQ(second.exitCode, 5);
    EXPECT_EQ(second.err.rfind("vornctl: 当前连接数超过预定值", 0), 0u) << second.err;

    const ProgramRun all = Vornctl({"disconnect-all", "-u", "alice", "-p", "Secret-99"});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out, "成功断开所有连接\n");

    const ProgramRun none = Vornctl({"disconnect", "-u", "alice", "-p", "Secret-99"});
    EXPECT_EQ(none.exitCode, 4);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err, "");
}

TEST_F(VornctlTest, DisconnectPrintsTheNotConnectedRow) {
    ASSERT_EQ(Vornctl({"connect", "-u", "bob", "-p", "Bob-pass-1"}).exitCode, 0);
    const ProgramRun run = Vornctl({"disconnect", "-u", "bob", "-p", "Bob-pass-1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "状态\t未连接\n");
}

TEST_F(VornctlTest, WeakPasswordIsAWarningAndTheConnectStillSucceeds) {
    const ProgramRun run = Vornctl({"connect", "-u", "weak", "-p", "abc"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("状态\t已连接\n", 0), 0u);
    EXPECT_EQ(run.err.rfind("vornctl: warning: 您好，由于部分用户密码简单", 0), 0u) << run.err;
}

TEST_F(VornctlTest, ReadsThePasswordFromStandardInput) {
    const ProgramRun run = Vornctl({"connect", "-u", "carol", "--password-stdin"}, "Carol pw 7\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("状态\t已连接\n用户名\tcarol\n", 0), 0u);
}

TEST_F(VornctlTest, WithoutATrustedCertificateNothingIsSent) {
    const ProgramRun run =
        Vornctl({"connect", "-u", "carol", "-p", "Carol pw 7"}, "", "untrusting");
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.err.rfind("vornctl: 无效的证书 errorcode=", 0), 0u) << run.err;
}

struct FailureCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string errorStart; // what standard error begins with
};

void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.name;
}

class VornctlFailure : public VornctlTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(VornctlFailure, ExitsWithTheCodeAndSaysWhy) {
    const ProgramRun run = Vornctl(GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, GetParam().errorStart.size()), GetParam().errorStart);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VornctlFailure,
    testing::Values(
        FailureCase{"wrong password",
                    {"connect", "-u", "carol", "-p", "wrong-one"},
                    1,
                    "vornctl: 口令错误.\n"},
        FailureCase{
            "empty password", {"connect", "-u", "carol", "-p", ""}, 1, "vornctl: 请输入密码\n"},
        FailureCase{
            "empty user", {"disconnect-all", "-u", "", "-p", "x"}, 2, "vornctl: 请输入用户名\n"},
        FailureCase{"no paid right",
                    {"connect", "-u", "bob", "-p", "Bob-pass-1", "--range", "paid"},
                    6,
                    "vornctl: 没有访问收费地址的权限"},
        // Only a connect tells the server's refusals apart.
        FailureCase{"disconnect all refused",
                    {"disconnect-all", "-u", "nobody", "-p", "x"},
                    4,
                    "vornctl: 口令错误."},
        FailureCase{"no password and no terminal",
                    {"connect", "-u", "carol"},
                    64,
                    "vornctl: no password given and no terminal to ask on"},
        FailureCase{"text GBK cannot hold",
                    {"connect", "-u", "caf\xF0\x9F\x98\x80", "-p", "x"},
                    64,
                    "vornctl: the user name cannot be sent: the character"},
        FailureCase{"user name too long",
                    {"connect", "-u", std::string(20, 'u'), "-p", "x"},
                    64,
                    "vornctl: the user name is longer than 19 bytes in GBK"},
        FailureCase{"usage",
                    {"connect", "-u", "carol", "--range"},
                    64,
                    "vornctl: --range: 1 required free|paid missing\n"
                    "Try 'vornctl connect --help'.\n"},
        // "-h" is the password here, not a request for help: it reaches the server.
        FailureCase{"password that looks like an option",
                    {"connect", "-u", "carol", "-p", "-h"},
                    1,
                    "vornctl: 口令错误.\n"}));

TEST_F(VornctlTest, UnreachableServerIsANetworkProblem) {
    const std::uint16_t closedPort = testsupport::UnusedLoopbackPort();
    const ProgramRun run = testsupport::RunProgram(
        VORNCTL_PATH,
        {"--workdir", (s_folder->Path() / "client").string(), "--gateway",
         "127.0.0.1:" + std::to_string(closedPort), "connect", "-u", "carol", "-p", "Carol pw 7"},
        "", s_folder->Path());
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.err,
              "vornctl: 您的网络连接可能有问题，请检查网卡、网线等，或者与网络管理员联系!\n");
}

TEST_F(VornctlTest, SavedAccountIsListedAndSealed) {
    const std::string workdir = NewWorkdir("saving");
    const ProgramRun connect =
        Vornctl({"connect", "-u", "dave", "-p", "Dave-pass-4", "--remember-password"}, "", workdir);
    ASSERT_EQ(connect.exitCode, 0) << connect.err;
    const ProgramRun accounts = Vornctl({"accounts"}, "", workdir);
    EXPECT_EQ(accounts.exitCode, 0) << accounts.err;
    EXPECT_EQ(accounts.out, "dave\tfree\tpassword remembered\tdefault\n"
                            "automatic log-on: off, arrears prompt: on\n");

    const std::filesystem::path config = s_folder->Path() / workdir / "config";
    EXPECT_EQ(testsupport::PermissionBits(config), 0600u);
    const std::string sealed = testsupport::ReadBytes(config);
    EXPECT_EQ(sealed.find("Dave-pass-4"), std::string::npos);
    EXPECT_EQ(sealed.find("VORNClientConfig"), std::string::npos);
    EXPECT_EQ(sealed.find("dave"), std::string::npos);
}

TEST_F(VornctlTest, ConnectWithoutUserLogsTheDefaultAccountOn) {
    const std::string workdir = NewWorkdir("automatic");
    ASSERT_EQ(
        Vornctl({"connect", "-u", "dave", "-p", "Dave-pass-4", "--auto-logon", "--range", "paid"},
                "", workdir)
            .exitCode,
        0);
    EXPECT_EQ(Vornctl({"accounts"}, "", workdir).out, "dave\tpaid\tpassword remembered\tdefault\n"
                                                      "automatic log-on: on, arrears prompt: on\n");

    // The saved paid range is used, as automatic log-on would.
    const ProgramRun automatic = Vornctl({"connect"}, "", workdir);
    EXPECT_EQ(automatic.exitCode, 0) << automatic.err;
    EXPECT_NE(automatic.out.find("用户名\tdave\n"), std::string::npos);
    EXPECT_NE(automatic.out.find("访问范围\t免费地址、收费地址\n"), std::string::npos);

    // Forgetting the default account also ends automatic log-on.
    EXPECT_EQ(Vornctl({"forget", "dave"}, "", workdir).exitCode, 0);
    EXPECT_EQ(Vornctl({"accounts"}, "", workdir).out,
              "automatic log-on: off, arrears prompt: on\n");
    const ProgramRun none = Vornctl({"connect"}, "", workdir);
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err, "vornctl: there is no default account; give -u USER\n");
}

TEST_F(VornctlTest, SavedRangeIsFreeUnlessTheAccountLogsOnAutomatically) {
    const std::string workdir = NewWorkdir("ranges");
    ASSERT_EQ(
        Vornctl({"connect", "-u", "erin", "-p", "Erin-pass-5", "--save"}, "", workdir).exitCode, 0);
    ASSERT_EQ(Vornctl({"connect", "-u", "dave", "-p", "Dave-pass-4", "--remember-password",
                       "--range", "paid"},
                      "", workdir)
                  .exitCode,
              0);
    EXPECT_EQ(Vornctl({"accounts"}, "", workdir).out,
              "erin\tfree\tno password\n"
              "dave\tfree\tpassword remembered\tdefault\n"
              "automatic log-on: off, arrears prompt: on\n");

    // Saving erin again makes her the default, without a password to log on with.
    ASSERT_EQ(
        Vornctl({"connect", "-u", "erin", "-p", "Erin-pass-5", "--save"}, "", workdir).exitCode, 0);
    const ProgramRun noPassword = Vornctl({"connect"}, "", workdir);
    EXPECT_EQ(noPassword.exitCode, 1);
    EXPECT_EQ(noPassword.err,
              "vornctl: the default account has no remembered password; give -u USER\n");

    const ProgramRun unknown = Vornctl({"forget", "nobody"}, "", workdir);
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "vornctl: there is no saved account \"nobody\"\n");
    EXPECT_EQ(Vornctl({"forget", "--all"}, "", workdir).exitCode, 0);
    EXPECT_EQ(Vornctl({"accounts"}, "", workdir).out,
              "automatic log-on: off, arrears prompt: on\n");
}

TEST_F(VornctlTest, FailedConnectSavesNothing) {
    const std::string workdir = NewWorkdir("failing");
    EXPECT_EQ(
        Vornctl({"connect", "-u", "erin", "-p", "wrong-pw", "--auto-logon"}, "", workdir).exitCode,
        1);
    EXPECT_FALSE(std::filesystem::exists(s_folder->Path() / workdir / "config"));
}

TEST_F(VornctlTest, SettingsElementNamesTheGateway) {
    const std::string workdir = NewWorkdir("configured");
    s_folder->Write(workdir + "/config.xml",
                    "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<VORNClientConfig>"
                    "<Style ConPrompt=\"false\" AutoLogon=\"false\"/><Log/>"
                    "<Server Host=\"localhost\" Port=\"" +
                        std::to_string(s_port) + "\"/></VORNClientConfig>\n");
    const ProgramRun run =
        testsupport::RunProgram(VORNCTL_PATH,
                                {"--workdir", (s_folder->Path() / workdir).string(), "connect",
                                 "-u", "erin", "-p", "Erin-pass-5"},
                                "", s_folder->Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // The plain document was sealed into "config" on first use.
    EXPECT_TRUE(std::filesystem::exists(s_folder->Path() / workdir / "config"));
}

// --- Settings that cannot be read -----------------------------------------------------------

// The settings document of a deployment whose gateway is the suite's gatewayd.
std::string PlainSettings(std::uint16_t port, const std::string& accounts = "") {
    return "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<VORNClientConfig>"
           "<Style ConPrompt=\"false\" AutoLogon=\"false\"/><Log>" +
           accounts + "</Log><Server Host=\"localhost\" Port=\"" + std::to_string(port) +
           "\"/></VORNClientConfig>\n";
}

enum class Damage { OtherMachine, FlippedByte, Truncated };

struct UnreadableCase {
    const char* name;
    Damage damage;
    std::string why; // how standard error explains it
};

void PrintTo(const UnreadableCase& unreadable, std::ostream* out) {
    *out << unreadable.name;
}

class VornctlUnreadableSettings : public VornctlTest,
                                  public testing::WithParamInterface<UnreadableCase> {};

TEST_P(VornctlUnreadableSettings, AreReportedAndNeverReplaced) {
    const std::string workdir = NewWorkdir(std::string("unreadable-") + GetParam().name);
    const std::filesystem::path folder = s_folder->Path() / workdir;
    s_folder->Write(workdir + "/config.xml", PlainSettings(s_port));
    ASSERT_EQ(
        Vornctl({"connect", "-u", "dave", "-p", "Dave-pass-4", "--remember-password"}, "", workdir)
            .exitCode,
        0);
    std::string config = testsupport::ReadBytes(folder / "config");
    switch (GetParam().damage) {
    case Damage::OtherMachine: {
        std::string error;
        ASSERT_TRUE(
            config::ProtectData(platform::CFixedMachineIdentity("0123456789abcdef0123456789abcdef"),
                                PlainSettings(s_port), config, &error));
        break;
    }
    case Damage::FlippedByte:
        config[config.size() / 2] = static_cast<char>(config[config.size() / 2] ^ 0x01);
        break;
    case Damage::Truncated:
        config.resize(config.size() - 10);
        break;
    }
    testsupport::WriteBytes(folder / "config", config);

    const std::string message = "vornctl: \"config\" cannot be read: " + GetParam().why +
                                "; to start afresh, move it away\n";
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"accounts"}, {"forget", "--all"}, {"forget", "dave"}, {"connect"}}) {
        const ProgramRun run = Vornctl(command, "", workdir);
        EXPECT_EQ(run.exitCode, 1) << command[0];
        EXPECT_EQ(run.err, message) << command[0];
        EXPECT_EQ(run.out, "") << command[0];
    }
    // A connect with its account still goes through, to the server of config.xml, and says
    // that nothing was saved.
    const ProgramRun connect = testsupport::RunProgram(
        VORNCTL_PATH,
        {"--workdir", folder.string(), "connect", "-u", "erin", "-p", "Erin-pass-5", "--save"}, "",
        s_folder->Path());
    EXPECT_EQ(connect.exitCode, 0) << connect.err;
    EXPECT_EQ(connect.out.rfind("状态\t已连接\n", 0), 0u);
    EXPECT_EQ(connect.err, "vornctl: warning: \"config\" cannot be read: " + GetParam().why +
                               "; to start afresh, move it away\n"
                               "vornctl: warning: connected, but the account was not saved, "
                               "since the settings cannot be opened\n");
    EXPECT_EQ(testsupport::ReadBytes(folder / "config"), config);
}

INSTANTIATE_TEST_SUITE_P(
    Files, VornctlUnreadableSettings,
    testing::Values(UnreadableCase{"other_machine", Damage::OtherMachine,
                                   "it was sealed on another machine, or it has been damaged"},
                    UnreadableCase{"flipped_byte", Damage::FlippedByte,
                                   "it was sealed on another machine, or it has been damaged"},
                    UnreadableCase{"truncated", Damage::Truncated,
                                   "it was sealed on another machine, or it has been damaged"}),
    [](const testing::TestParamInfo<UnreadableCase>& info) { return info.param.name; });

TEST_F(VornctlTest, OnlyTheFirstTenAccountsAreOffered) {
    const std::string workdir = NewWorkdir("twelve");
    std::string accounts;
    for (int i = 0; i < 12; ++i) {
        accounts += "<UserInfo Username=\"u" + std::to_string(i) +
                    "\" Access=\"domestic\" Password=\"Erin-pass-5\"/>";
    }
    s_folder->Write(workdir + "/config.xml",
                    PlainSettings(s_port, accounts + "<DefaultUser>u10</DefaultUser>"));
    const ProgramRun list = Vornctl({"accounts"}, "", workdir);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 11) << list.out;
    EXPECT_EQ(list.out.find("u10"), std::string::npos);

    const ProgramRun connect = Vornctl({"connect"}, "", workdir);
    EXPECT_EQ(connect.exitCode, 2);
    EXPECT_EQ(connect.err, "vornctl: there is no default account; give -u USER\n");
}

// --- Several vornctl at once ------------------------------------------------------------------

TEST_F(VornctlTest, OverlappingSavesKeepEveryAccount) {
    const std::string workdir = NewWorkdir("overlapping");
    const std::vector<std::pair<std::string, std::string>> accounts = {{"bob", "Bob-pass-1"},
                                                                       {"carol", "Carol pw 7"},
                                                                       {"dave", "Dave-pass-4"},
                                                                       {"erin", "Erin-pass-5"}};
    std::vector<pid_t> runs;
    for (const auto& [name, password] : accounts) {
        runs.push_back(
            testsupport::SpawnProgram(VORNCTL_PATH,
                                      {"--workdir", (s_folder->Path() / workdir).string(),
                                       "--gateway", "localhost:" + std::to_string(s_port),
                                       "connect", "-u", name, "-p", password, "--save"},
                                      {"", s_folder->Path() / (workdir + "-" + name + ".out"),
                                       s_folder->Path() / (workdir + "-" + name + ".err")}));
    }
    for (const pid_t pid : runs) {
        ASSERT_GT(pid, 0);
        const std::optional<int> status = testsupport::WaitForProgram(pid);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    }
    const ProgramRun list = Vornctl({"accounts"}, "", workdir);
    for (const auto& [name, password] : accounts) {
        EXPECT_NE(list.out.find(name + "\tfree\tno password"), std::string::npos) << list.out;
    }
}

// A scripted server on loopback that the working directory trusts.
class VornctlScriptedServer : public testing::Test {
protected:
    void StartServer(std::vector<testsupport::ConnectionScript> scripts) {
        m_server = std::make_unique<testsupport::CTlsTestServer>(
            m_credentials.serverCertificatePem, m_credentials.serverKeyPem, std::move(scripts));
        m_folder.Write("ca.cer", m_credentials.caCertificatePem);
    }

    std::vector<std::string> Arguments(const std::vector<std::string>& command) const {
        std::vector<std::string> full = {"--workdir", m_folder.Path().string(), "--gateway",
                                         "127.0.0.1:" + std::to_string(m_server->Port())};
        full.insert(full.end(), command.begin(), command.end());
        return full;
    }

    ProgramRun Vornctl(const std::vector<std::string>& command) const {
        return testsupport::RunProgram(VORNCTL_PATH, Arguments(command), "", m_scratch.Path());
    }

    const gatewayd::Credentials m_credentials = gatewayd::IssueCredentials("127.0.0.1");
    CTempFolder m_folder;
    CTempFolder m_scratch;
    std::unique_ptr<testsupport::CTlsTestServer> m_server;
};

const std::string kConnected =
    "HTTP/1.0 200 OK\r\n\r\nVORNCLIENT_START SUCCESS=YES USERNAME=carol FIXRATE=NO "
    "SCOPE=domestic DEFICIT=NO CONNECTIONS=1 BALANCE=2 IP=127.0.0.1 MESSAGE=m VORNCLIENT_END";

TEST_F(VornctlScriptedServer, ForgettingDuringASlowConnectIsNotUndone) {
    auto held = testsupport::ConnectionScript::Answer(kConnected);
    held.held = true;
    StartServer({held});
    m_folder.Write("config.xml",
                   "<VORNClientConfig><Style ConPrompt=\"false\" AutoLogon=\"true\"/><Log>"
                   "<UserInfo Username=\"alice\" Access=\"overall\" Password=\"Secret-99\"/>"
                   "<DefaultUser>alice</DefaultUser></Log></VORNClientConfig>");
    ASSERT_EQ(Vornctl({"accounts"}).exitCode, 0);

    const pid_t connect = testsupport::SpawnProgram(
        VORNCTL_PATH,
        Arguments({"connect", "-u", "carol", "-p", "Carol pw 7", "--remember-password"}),
        {"", m_scratch / "connect.out", m_scratch / "connect.err"});
    ASSERT_GT(connect, 0);
    ASSERT_TRUE(m_server->WaitForHeldRequest());
    const ProgramRun forget = Vornctl({"forget", "--all"});
    EXPECT_EQ(forget.exitCode, 0) << forget.err;
    m_server->Release();
    const std::optional<int> status = testsupport::WaitForProgram(connect);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
        << testsupport::ReadFile(m_scratch / "connect.err");

    EXPECT_EQ(Vornctl({"accounts"}).out, "carol\tfree\tpassword remembered\tdefault\n"
                                         "automatic log-on: off, arrears prompt: off\n");
}

// --- Text from the server ------------------------------------------------------------------

TEST_F(VornctlScriptedServer, ShowsControlCharactersFromTheServerEscaped) {
    // "余额" in GBK: a value that would print a false balance row of its own.
    const std::string balanceLabel = "\xD3\xE0\xB6\xEE";
    StartServer({testsupport::ConnectionScript::Answer(
                     "VORNCLIENT_START SUCCESS=YES USERNAME=a\n" + balanceLabel +
                     "\t9999 FIXRATE=NO SCOPE=domestic DEFICIT=NO CONNECTIONS=\x1b[2J1 BALANCE=2 "
                     "IP=127.0.0.1 MESSAGE=m VORNCLIENT_END"),
                 testsupport::ConnectionScript::Answer(
                     "VORNCLIENT_START SUCCESS=NO REASON=\x1b]0;owned\x07\r\nbad VORNCLIENT_END")});
    const ProgramRun connected = Vornctl({"connect", "-u", "carol", "-p", "Carol pw 7"});
    EXPECT_EQ(connected.exitCode, 0) << connected.err;
    EXPECT_NE(connected.out.find("用户名\ta\\x0a余额\\x099999\n"), std::string::npos)
        << connected.out;
    EXPECT_NE(connected.out.find("当前连接\t\\x1b[2J1\n"), std::string::npos) << connected.out;
    EXPECT_EQ(std::count(connected.out.begin(), connected.out.end(), '\n'), 9);

    const ProgramRun refused = Vornctl({"connect", "-u", "carol", "-p", "Carol pw 7"});
    EXPECT_EQ(refused.exitCode, 4);
    EXPECT_EQ(refused.err, "vornctl: \\x1b]0;owned\\x07\\x0d\\x0abad\n");
}

TEST(VornctlHelp, DescribesEveryCommand) {
    const CTempFolder folder;
    const ProgramRun run = testsupport::RunProgram(VORNCTL_PATH, {"--help"}, "", folder.Path());
    EXPECT_EQ(run.exitCode, 0);
    for (const char* command :
         {"connect", "disconnect", "disconnect-all", "--password-stdin", "accounts", "forget",
          "--auto-logon", "announcements", "report", "guard [--once]", "watch [--seconds N]"}) {
        EXPECT_NE(run.out.find(command), std::string::npos) << command;
    }
    // As the "disconnect all refused" case shows, every refusal of disconnect-all exits 4.
    EXPECT_NE(run.out.find("disconnect-all: 1 missing password, 2 missing user name, 4 any "
                           "refusal by the\n  server (a wrong password included)"),
              std::string::npos)
        << run.out;
}

} // namespace
