#include "TlsTestClient.h"
#include "platform/StopWaker.h"
#include "platform/UdpSocket.h"
#include "tests/support/GatewaydProcess.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"
#include "tools/gatewayd/ControlCommands.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testsupport::CGatewaydProcess;
using testsupport::CTempFolder;

struct ControlCase {
    std::string line;
    std::string answer;
    std::string arguments; // what the command saw, joined by '|'
};

TEST(ControlCommandsTest, RunsTheNamedCommand) {
    std::string seen;
    gatewayd::CControlCommands commands;
    commands.Add("echo", "echo WORDS", [&seen](auto arguments, bool& failed) {
        for (const std::string_view word : arguments) {
            seen += std::string(word) + "|";
        }
        failed = !arguments.empty() && arguments[0] == "fail";
        return arguments.empty() ? std::string() : std::string(arguments.back());
    });
    commands.Add("drop", "drop ACCOUNT", [](auto, bool&) { return std::string(); });
    const ControlCase cases[] = {
        {"echo", "ok", ""},
        {"echo a b", "ok b", "a|b|"},
        {"  echo \t a   b \r", "ok b", "a|b|"},
        {"echo fail why", "error why", "fail|why|"},
        {"ECHO a", "error unknown command; the commands are: drop ACCOUNT; echo WORDS", ""},
        {"", "error unknown command; the commands are: drop ACCOUNT; echo WORDS", ""},
    };
    for (const ControlCase& row : cases) {
        seen.clear();
        EXPECT_EQ(commands.Execute(row.line), row.answer) << row.line;
        EXPECT_EQ(seen, row.arguments) << row.line;
    }
}

// Sends payload to a responder on loopback and answers what comes back within wait.
std::optional<std::string> Probe(std::uint16_t port, std::string_view payload,
                                 std::chrono::milliseconds wait) {
    platform::CUdpSocket socket;
    EXPECT_TRUE(socket.Open());
    EXPECT_TRUE(socket.SendTo({htonl(INADDR_LOOPBACK), port}, payload));
    const std::stop_source never;
    const platform::CStopWaker waker(never.get_token());
    if (platform::WaitReadable(socket.Fd(), wait, waker) != platform::WaitResult::Ready) {
        return std::nullopt;
    }
    char answer[16];
    const std::optional<std::size_t> length = socket.Receive(answer);
    return length ? std::optional<std::string>(std::string(answer, *length)) : std::nullopt;
}

// What counts as no answer: a responder on loopback answers in microseconds.
constexpr auto kSilence = 300ms;
constexpr auto kAnswerBound = 10s;

class HeartbeatResponderTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder.Write("accounts.ini", "[a]\npassword = Secret-1\n");
        ASSERT_TRUE(m_gatewayd.Start({"--dir", (m_folder / "state").string(), "--accounts",
                                      (m_folder / "accounts.ini").string(), "--tls-port", "0",
                                      "--campus-port", "0", "--domestic-port", "0", "--port-file",
                                      (m_folder / "port").string()}));
        const auto campus = m_gatewayd.WaitForPort(m_folder / "port", "campus");
        const auto domestic = m_gatewayd.WaitForPort(m_folder / "port", "domestic");
        ASSERT_TRUE(campus && domestic) << m_gatewayd.Stderr();
        m_ports = {*campus, *domestic};
    }

    void TearDown() override {
        EXPECT_TRUE(m_gatewayd.Signal(SIGTERM));
        EXPECT_EQ(m_gatewayd.WaitForExit(), 0);
    }

    std::string Control(const std::string& line) {
        return testsupport::SendGatewaydCommand(m_folder / "state", line);
    }

    CTempFolder m_folder;
    CGatewaydProcess m_gatewayd{m_folder.Path()};
    struct {
        std::uint16_t campus;
        std::uint16_t domestic;
    } m_ports{};
};

TEST_F(HeartbeatResponderTest, AnswersProbesOnly) {
    EXPECT_NE(m_ports.campus, m_ports.domestic);
    EXPECT_EQ(Probe(m_ports.campus, "r", kAnswerBound), "A");
    EXPECT_EQ(Probe(m_ports.domestic, "r", kAnswerBound), "A");
    EXPECT_EQ(Probe(m_ports.campus, "x", kSilence), std::nullopt);
    EXPECT_EQ(Probe(m_ports.campus, "rr", kSilence), std::nullopt);
}

TEST_F(HeartbeatResponderTest, GoesSilentAndBackOnCommand) {
    EXPECT_EQ(Control("heartbeat campus silent"), "ok campus silent");
    EXPECT_EQ(Probe(m_ports.campus, "r", kSilence), std::nullopt);
    EXPECT_EQ(Probe(m_ports.domestic, "r", kAnswerBound), "A");
    EXPECT_EQ(Control("heartbeat domestic silent"), "ok domestic silent");
    EXPECT_EQ(Probe(m_ports.domestic, "r", kSilence), std::nullopt);
    EXPECT_EQ(Control("heartbeat campus answer"), "ok campus answer");
    EXPECT_EQ(Probe(m_ports.campus, "r", kAnswerBound), "A");
    EXPECT_EQ(Control("heartbeat domestic loud"),
              "error usage: heartbeat campus|domestic silent|answer");
    EXPECT_EQ(Control("heartbeat internet silent"), "error no responder is called \"internet\"");
}

TEST_F(HeartbeatResponderTest, SendHandsALineToTheRunningServer) {
    const auto send = [this](const std::string& line) {
        return testsupport::RunProgram(GATEWAYD_PATH,
                                       {"--dir", (m_folder / "state").string(), "--send", line}, "",
                                       m_folder.Path());
    };
    const testsupport::ProgramRun silenced = send("heartbeat domestic silent");
    EXPECT_EQ(silenced.exitCode, 0) << silenced.err;
    EXPECT_EQ(silenced.out, "ok domestic silent\n");
    EXPECT_EQ(Probe(m_ports.domestic, "r", kSilence), std::nullopt);
    const testsupport::ProgramRun refused = send("reboot");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out.rfind("error unknown command", 0), 0U) << refused.out;
}

// A connect of account "a" as the client composes it.
std::string ConnectRequest() {
    return "GET https://localhost/vornofqel?uid=a&password=Secret-1&range=2&operation=connect"
           "&timeout=1\nHost:localhost\n\n";
}

TEST_F(HeartbeatResponderTest, DropEndsTheConnectionsAndSilencesDomesticUntilAConnect) {
    const auto tls = m_gatewayd.WaitForPort(m_folder / "port");
    ASSERT_TRUE(tls.has_value());
    const std::string caPem = testsupport::ReadFile(m_folder / "state" / "ca.cer");
    EXPECT_EQ(Control("connections a"), "ok 0");
    ASSERT_TRUE(gatewayd_test::ExchangeOverTls(*tls, caPem, ConnectRequest()).Connected());
    EXPECT_EQ(Control("connections a"), "ok 1");

    EXPECT_EQ(Control("drop a"), "ok dropped 1");
    EXPECT_EQ(Control("connections a"), "ok 0");
    EXPECT_EQ(Probe(m_ports.domestic, "r", kSilence), std::nullopt);
    EXPECT_EQ(Probe(m_ports.campus, "r", kAnswerBound), "A");

    const gatewayd_test::TlsReply again =
        gatewayd_test::ExchangeOverTls(*tls, caPem, ConnectRequest());
    EXPECT_NE(again.answer.find("CONNECTIONS=1"), std::string::npos) << again.answer;
    EXPECT_EQ(Probe(m_ports.domestic, "r", kAnswerBound), "A");

    EXPECT_EQ(Control("drop"), "error usage: drop ACCOUNT");
    EXPECT_EQ(Control("connections a b"), "error usage: connections ACCOUNT");
    EXPECT_EQ(Control("drop nobody"), "error there is no account \"nobody\"");
}

TEST(HeartbeatServiceTest, WithoutRespondersTheCommandSaysHowToGetThem) {
    CTempFolder folder;
    folder.Write("accounts.ini", "[a]\npassword = Secret-1\n");
    CGatewaydProcess gatewayd(folder.Path());
    ASSERT_TRUE(gatewayd.Start({"--dir", (folder / "state").string(), "--accounts",
                                (folder / "accounts.ini").string(), "--tls-port", "0",
                                "--port-file", (folder / "port").string()}));
    ASSERT_TRUE(gatewayd.WaitForPort(folder / "port").has_value()) << gatewayd.Stderr();
    EXPECT_EQ(testsupport::SendGatewaydCommand(folder / "state", "heartbeat campus silent"),
              "error there is no campus responder; start gatewayd with --campus-port");
    EXPECT_TRUE(gatewayd.Signal(SIGTERM));
    EXPECT_EQ(gatewayd.WaitForExit(), 0);
    // The socket goes with the server.
    EXPECT_FALSE(std::filesystem::exists(folder / "state" / "control"));
}

} // namespace
