#include "TlsTestClient.h"
#include "platform/GbkCodec.h"
#include "platform/HttpGet.h"
#include "tests/support/GatewaydProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>

namespace {

using gatewayd_test::TlsReply;
using testsupport::CGatewaydProcess;
using testsupport::CTempFolder;
using testsupport::ReadFile;

constexpr const char* kAccounts = "[student01]\n"
                                  "password = campus 2024\n"
                                  "balance = 36.80\n"
                                  "package = 包月20元\n"
                                  "time-used = 31小时\n"
                                  "paid-addresses = yes\n"
                                  "connection-limit = 2\n";

// The request exactly as the client composes it.
std::string ClientRequest(const std::string& operation, char range) {
    return "GET https://localhost:5428/vornofqel?uid=student01&password=campus+2024&range=" +
           std::string(1, range) + "&operation=" + operation +
           "&timeout=1\nHost:localhost\nUser-Agent:Mozilla/4.04[en](Win95;I;Nav)\n"
           "Pragma:no-cache\nCache-Control:no-cache\n\n";
}

std::string Answer(std::string_view utf8Body) {
    const std::string body = platform::GbkFromLiteral(utf8Body);
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

class GatewaydProgram : public testing::Test {
protected:
    std::vector<std::string> Arguments() const {
        return {"--dir",       (m_folder.Path() / "state").string(),
                "--accounts",  m_accountsFile.string(),
                "--tls-port",  "0",
                "--port-file", PortFile().string()};
    }
    std::filesystem::path PortFile() const { return m_folder.Path() / "port"; }
    std::filesystem::path StateFile(const char* name) const {
        return m_folder.Path() / "state" / name;
    }

    CTempFolder m_folder;
    std::filesystem::path m_accountsFile = m_folder.Write("accounts.ini", kAccounts);
};

TEST_F(GatewaydProgram, ServesTheClientOverTlsAndStopsOnSigterm) {
    CGatewaydProcess gatewayd(m_folder.Path());
    ASSERT_TRUE(gatewayd.Start(Arguments()));
    const std::optional<std::uint16_t> port = gatewayd.WaitForPort(PortFile());
    ASSERT_TRUE(port) << gatewayd.Stderr();
    EXPECT_EQ(gatewayd.Stdout(), "gatewayd listening on 127.0.0.1:" + std::to_string(*port) + "\n");

    struct stat key {};
    ASSERT_EQ(stat(StateFile("server.key").c_str(), &key), 0);
    EXPECT_EQ(key.st_mode & 0777, 0600u);
    const std::string caPem = ReadFile(StateFile("ca.cer"));

    const TlsReply connected =
        gatewayd_test::ExchangeOverTls(*port, caPem, ClientRequest("connect", '1'));
    ASSERT_TRUE(connected.Connected()) << connected.error;
    EXPECT_EQ(connected.answer,
              Answer("VORNCLIENT_STARTSUCCESS=YES USERNAME=student01 FIXRATE=YES "
                     "FR_DESC_CN=包月20元 FR_TIME=31小时 SCOPE=international DEFICIT=NO "
                     "CONNECTIONS=1 BALANCE=36.80 IP=127.0.0.1 MESSAGE=欢迎使用校园网。 "
                     "VORNCLIENT_END"));
    EXPECT_TRUE(connected.closeNotifyReceived);
    EXPECT_TRUE(connected.socketClosed);

    const TlsReply disconnected =
        gatewayd_test::ExchangeOverTls(*port, caPem, ClientRequest("disconnectall", '4'));
    EXPECT_EQ(disconnected.answer,
              Answer("VORNCLIENT_STARTSUCCESS=YES CONNECTIONS=0 VORNCLIENT_END"));

    ASSERT_TRUE(gatewayd.Signal(SIGTERM));
    EXPECT_EQ(gatewayd.WaitForExit(), 0) << gatewayd.Stderr();
}

TEST_F(GatewaydProgram, ServesTheDocumentsOverPlainHttpFromFilesReadAtEachRequest) {
    const std::filesystem::path list = m_folder.Write("list.xml", "<IP2MAC/>");
    const std::filesystem::path announce = m_folder.Path() / "vornmsg.xml";
    std::vector<std::string> arguments = Arguments();
    arguments.insert(arguments.end(), {"--http-port", "0", "--ipmac-file", list.string(),
                                       "--announce-file", announce.string()});
    CGatewaydProcess gatewayd(m_folder.Path());
    ASSERT_TRUE(gatewayd.Start(arguments));
    const std::optional<std::uint16_t> tlsPort = gatewayd.WaitForPort(PortFile());
    const std::optional<std::uint16_t> httpPort = gatewayd.WaitForPort(PortFile(), "http");
    ASSERT_TRUE(tlsPort && httpPort) << gatewayd.Stderr();
    EXPECT_EQ(ReadFile(PortFile()),
              std::to_string(*tlsPort) + "\nhttp " + std::to_string(*httpPort) + "\n");
    EXPECT_EQ(gatewayd.Stdout(),
              "gatewayd listening on 127.0.0.1:" + std::to_string(*tlsPort) +
                  "\ngatewayd serving HTTP on 127.0.0.1:" + std::to_string(*httpPort) + "\n");

    auto get = [&](const std::string& path) {
        platform::HttpResponse response;
        std::string error;
        EXPECT_TRUE(platform::HttpGet("127.0.0.1", *httpPort, path, 4096, response, error))
            << error;
        return response;
    };
    const platform::HttpResponse scrambled = get("/ipmac/w5hqey");
    EXPECT_EQ(scrambled.status, 200);
    EXPECT_EQ(scrambled.body, "\xea\x9f\x86\xe4\x9b\x97\x95\xf9\xe8");
    EXPECT_EQ(get("/announce/vornmsg.xml").status, 404);
    m_folder.Write("vornmsg.xml", "<message-list/>");
    EXPECT_EQ(get("/announce/vornmsg.xml").body, "<message-list/>");
    std::filesystem::remove(list);
    EXPECT_EQ(get("/ipmac/w5hqey").status, 404);

    ASSERT_TRUE(gatewayd.Signal(SIGTERM));
    EXPECT_EQ(gatewayd.WaitForExit(), 0) << gatewayd.Stderr();
}

TEST_F(GatewaydProgram, WithoutAnHttpPortServesNoSite) {
    CGatewaydProcess gatewayd(m_folder.Path());
    ASSERT_TRUE(gatewayd.Start(Arguments()));
    const std::optional<std::uint16_t> tlsPort = gatewayd.WaitForPort(PortFile());
    ASSERT_TRUE(tlsPort) << gatewayd.Stderr();
    EXPECT_EQ(ReadFile(PortFile()), std::to_string(*tlsPort) + "\n");
    EXPECT_EQ(gatewayd.WaitForPort(PortFile(), "http"), std::nullopt);
    ASSERT_TRUE(gatewayd.Signal(SIGTERM));
    EXPECT_EQ(gatewayd.WaitForExit(), 0) << gatewayd.Stderr();
}

class GatewaydStopSignal : public GatewaydProgram, public testing::WithParamInterface<int> {};

TEST_P(GatewaydStopSignal, EndsCleanlyAndReusesItsCredentialsNextTime) {
    std::string firstCa;
    {
        CGatewaydProcess first(m_folder.Path());
        ASSERT_TRUE(first.Start(Arguments()));
        ASSERT_TRUE(first.WaitForPort(PortFile())) << first.Stderr();
        firstCa = ReadFile(StateFile("ca.cer"));
        ASSERT_TRUE(first.Signal(GetParam()));
        EXPECT_EQ(first.WaitForExit(), 0) << first.Stderr();
    }
    std::filesystem::remove(PortFile());

    CGatewaydProcess second(m_folder.Path());
    ASSERT_TRUE(second.Start(Arguments()));
    const std::optional<std::uint16_t> port = second.WaitForPort(PortFile());
    ASSERT_TRUE(port) << second.Stderr();
    EXPECT_EQ(ReadFile(StateFile("ca.cer")), firstCa);
    const TlsReply reply =
        gatewayd_test::ExchangeOverTls(*port, firstCa, ClientRequest("connect", '2'));
    EXPECT_TRUE(reply.Connected()) << reply.error;
    ASSERT_TRUE(second.Signal(GetParam()));
    EXPECT_EQ(second.WaitForExit(), 0) << second.Stderr();
}

INSTANTIATE_TEST_SUITE_P(Signals, GatewaydStopSignal, testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGINT");
                         });

struct FailedStartCase {
    const char* name;
    std::vector<std::string> arguments; // "{folder}" stands for the test's folder
    int exitCode;
    const char* stderrStart;
};

class GatewaydRefusesToStart : public testing::TestWithParam<FailedStartCase> {};

TEST_P(GatewaydRefusesToStart, WithAMessageAndItsExitCode) {
    const CTempFolder folder;
    folder.Write("good.ini", kAccounts);
    folder.Write("bad.ini", "[student01]\nbalance = 1 2\n");
    folder.Write("plain", "");
    auto expand = [&](std::string text) {
        for (auto at = text.find("{folder}"); at != std::string::npos; at = text.find("{folder}")) {
            text.replace(at, 8, folder.Path().string());
        }
        return text;
    };
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(expand(argument));
    }

    CGatewaydProcess gatewayd(folder.Path());
    ASSERT_TRUE(gatewayd.Start(arguments));
    EXPECT_EQ(gatewayd.WaitForExit(), GetParam().exitCode);
    const std::string complaint = gatewayd.Stderr();
    EXPECT_EQ(complaint.rfind(expand(GetParam().stderrStart), 0), 0u) << complaint;
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "port"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GatewaydRefusesToStart,
    testing::Values(
        FailedStartCase{"no_arguments", {}, 64, "gatewayd: --dir is required\nusage: gatewayd"},
        FailedStartCase{"unknown_option",
                        {"--dir", "{folder}/s", "--accounts", "{folder}/good.ini", "--tls", "1"},
                        64,
                        "gatewayd: unknown option \"--tls\"\nusage:"},
        FailedStartCase{
            "bad_port",
            {"--dir", "{folder}/s", "--accounts", "{folder}/good.ini", "--tls-port", "99999"},
            64,
            "gatewayd: --tls-port takes a port from 0 to 65535"},
        FailedStartCase{"missing_accounts",
                        {"--dir", "{folder}/s", "--accounts", "{folder}/none.ini", "--port-file",
                         "{folder}/port"},
                        1,
                        "gatewayd: {folder}/none.ini: cannot be read\n"},
        FailedStartCase{"malformed_accounts",
                        {"--dir", "{folder}/s", "--accounts", "{folder}/bad.ini", "--port-file",
                         "{folder}/port"},
                        1,
                        "gatewayd: {folder}/bad.ini:2: balance \"1 2\" holds a space"},
        FailedStartCase{"state_folder_unusable",
                        {"--dir", "{folder}/plain/s", "--accounts", "{folder}/good.ini",
                         "--tls-port", "0", "--port-file", "{folder}/port"},
                        1,
                        "gatewayd: {folder}/plain/s: cannot create the folder"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
