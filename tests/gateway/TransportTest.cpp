#include "gateway/QELOpenSSLVORNClient.h"
#include "platform/GbkCodec.h"
#include "platform/ScriptedMessageBox.h"
#include "tests/support/TempFile.h"
#include "tests/support/TlsTestServer.h"
#include "tools/gatewayd/Certificates.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace {

using gateway::CQELOpenSSLVORNClient;
using testsupport::ConnectionScript;
using testsupport::CTlsTestServer;
using Kind = testsupport::ConnectionScript::Kind;

constexpr const char* kHost = "127.0.0.1";
constexpr std::chrono::milliseconds kShortTimeout{300};

const std::string kConnectAnswer =
    "HTTP/1.0 200 OK\r\n\r\nVORNCLIENT_START SUCCESS=YES USERNAME=alice FIXRATE=NO "
    "SCOPE=domestic DEFICIT=NO CONNECTIONS=1 BALANCE=12.5 IP=127.0.0.1 MESSAGE=hi "
    "VORNCLIENT_END";

std::string Shown(std::string_view gbk) {
    return platform::GbkToUtf8ForDisplay(gbk);
}

// The beginning of text as long as expected, so that a mismatch shows both.
std::string_view Head(std::string_view text, std::string_view expected) {
    return text.substr(0, expected.size());
}

std::string NetworkProblemText() {
    return platform::GbkFromLiteral(
        "您的网络连接可能有问题，请检查网卡、网线等，或者与网络管理员联系!");
}

class TransportTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_credentials.caCertificatePem.empty());
        m_trustFile = std::make_unique<testsupport::CTempFile>(m_credentials.caCertificatePem);
    }

    std::unique_ptr<CTlsTestServer> StartServer(std::vector<ConnectionScript> scripts) const {
        return std::make_unique<CTlsTestServer>(m_credentials.serverCertificatePem,
                                                m_credentials.serverKeyPem, std::move(scripts));
    }

    std::unique_ptr<CQELOpenSSLVORNClient> MakeClient(std::uint16_t port,
                                                      gateway::TransportOptions options) {
        auto client = std::make_unique<CQELOpenSSLVORNClient>(gateway::GatewayServer{kHost, port},
                                                              m_messageBox, std::move(options));
        // Strong enough that no weak-password advisory replaces the message.
        EXPECT_TRUE(client->SetUserName("alice"));
        EXPECT_TRUE(client->SetPassword("s3cret-pw"));
        EXPECT_TRUE(client->SetRange(gateway::RANGE_FREE));
        return client;
    }

    std::unique_ptr<CQELOpenSSLVORNClient>
    MakeClient(std::uint16_t port, std::chrono::milliseconds timeout = std::chrono::seconds(15)) {
        return MakeClient(port, gateway::TransportOptions{m_trustFile->Path(), timeout});
    }

    const gatewayd::Credentials m_credentials = gatewayd::IssueCredentials(kHost);
    std::unique_ptr<testsupport::CTempFile> m_trustFile;
    platform::CScriptedMessageBox m_messageBox;
};

// --- The request as the server receives it ---------------------------------------------

struct RequestCase {
    const char* name;
    int range; // 0: none chosen
    std::function<bool(CQELOpenSSLVORNClient&)> run;
    const char* expectedQueryTail; // from "&range=" on
};

void PrintTo(const RequestCase& row, std::ostream* out) {
    *out << row.name;
}

class TransportRequest : public TransportTest, public testing::WithParamInterface<RequestCase> {};

TEST_P(TransportRequest, ServerReceivesTheExactRequestBytes) {
    const RequestCase& row = GetParam();
    const auto server = StartServer({ConnectionScript::Answer(kConnectAnswer)});
    ASSERT_NE(server->Port(), gateway::kDefaultTlsPort);
    CQELOpenSSLVORNClient client(gateway::GatewayServer{kHost, server->Port()}, m_messageBox,
                                 {m_trustFile->Path()});
    ASSERT_TRUE(client.SetUserName("a b&c"));
    ASSERT_TRUE(client.SetPassword("p w&d=?x"));
    if (row.range != 0) {
        ASSERT_TRUE(client.SetRange(row.range));
    }

    EXPECT_TRUE(row.run(client)) << Shown(client.GetMessage());

    ASSERT_TRUE(server->WaitForServed(1));
    const std::string port = std::to_string(server->Port());
    const std::string expected = "GET https://127.0.0.1:" + port +
                                 "/vornofqel?uid=a b&c&password=p+w%26d%3D%3Fx" +
                                 row.expectedQueryTail +
                                 "&timeout=1\n"
                                 "Host:127.0.0.1\n"
                                 "User-Agent:Mozilla/4.04[en](Win95;I;Nav)\n"
                                 "Pragma:no-cache\n"
                                 "Cache-Control:no-cache\n"
                                 "\n";
    EXPECT_EQ(server->Requests(), std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(
    Operations, TransportRequest,
    testing::Values(RequestCase{"Connect", gateway::RANGE_PAID,
                                [](CQELOpenSSLVORNClient& c) {
                                    return c.Connect() == gateway::RESULT_OK;
                                },
                                "&range=1&operation=connect"},
                    RequestCase{"Disconnect", gateway::RANGE_FREE,
                                [](CQELOpenSSLVORNClient& c) { return c.Disconnect(); },
                                "&range=2&operation=disconnect"},
                    RequestCase{"DisconnectAll", gateway::RANGE_PAID,
                                [](CQELOpenSSLVORNClient& c) {
                                    return c.DisconnectAll() == gateway::RESULT_OK;
                                },
                                "&range=4&operation=disconnectall"},
                    RequestCase{"DisconnectAllWithoutRange", 0,
                                [](CQELOpenSSLVORNClient& c) {
                                    return c.DisconnectAll() == gateway::RESULT_OK;
                                },
                                "&range=4&operation=disconnectall"}),
    [](const testing::TestParamInfo<RequestCase>& info) { return info.param.name; });

// --- Answers in pieces and long answers ---------------------------------------------------

class TransportChunkedAnswer : public TransportTest,
                               public testing::WithParamInterface<std::size_t> {};

TEST_P(TransportChunkedAnswer, IsPutTogetherInOrder) {
    const std::string packageName = platform::GbkFromLiteral("包月套餐");
    const std::string answer =
        "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nX-Padding: " + std::string(300, 'p') +
        "\r\n\r\nVORNCLIENT_START SUCCESS=YES USERNAME=bob FIXRATE=YES FR_DESC_CN=" + packageName +
        " FR_TIME=37h SCOPE=international DEFICIT=YES CONNECTIONS=2 BALANCE=-3.75 "
        "IP=10.1.2.3 MESSAGE=see_you VORNCLIENT_END\r\n";
    const auto server = StartServer({ConnectionScript::Answer(answer, GetParam())});
    const auto client = MakeClient(server->Port());

    ASSERT_EQ(client->Connect(), gateway::RESULT_OK) << Shown(client->GetMessage());

    const gateway::GatewayResult& result = client->GetResult();
    EXPECT_TRUE(result.m_bSuccess);
    EXPECT_EQ(result.m_szResUserName.View(), "bob");
    EXPECT_TRUE(result.m_bFixRate);
    EXPECT_EQ(result.m_szFixRateDesc.View(), packageName);
    EXPECT_EQ(result.m_szFixRateTime.View(), "37h");
    EXPECT_TRUE(result.m_bInternational);
    EXPECT_TRUE(result.m_bDeficit);
    EXPECT_EQ(result.m_szConnections.View(), "2");
    EXPECT_EQ(result.m_szBalance.View(), "-3.75");
    EXPECT_EQ(result.m_szResIP.View(), "10.1.2.3");
    EXPECT_EQ(result.m_szServerMessage.View(), "see_you");
    EXPECT_TRUE(client->IsConnected());
}

INSTANTIATE_TEST_SUITE_P(MaxChunkBytes, TransportChunkedAnswer,
                         testing::Values(std::size_t{0}, std::size_t{1}, std::size_t{7}),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return info.param == 0 ? std::string("OneWrite")
                                                    : "UpTo" + std::to_string(info.param);
                         });

constexpr std::string_view kLongAnswerBlock =
    "VORNCLIENT_START SUCCESS=YES USERNAME=carol FIXRATE=NO SCOPE=domestic DEFICIT=NO "
    "CONNECTIONS=3 BALANCE=7 IP=127.0.0.1 MESSAGE=long VORNCLIENT_END";

struct LongAnswerCase {
    const char* name;
    std::size_t paddingBefore; // bytes before the block
    std::size_t maxChunk;      // pieces make the client's reads end off the buffer's edge
};

void PrintTo(const LongAnswerCase& row, std::ostream* out) {
    *out << row.name;
}

class TransportLongAnswer : public TransportTest,
                            public testing::WithParamInterface<LongAnswerCase> {};

TEST_P(TransportLongAnswer, ParsesTheBlockWithinTheFirst4096Bytes) {
    const std::size_t padding = GetParam().paddingBefore;
    ASSERT_LE(padding + kLongAnswerBlock.size(), 4096u);
    // Far more than the client reads: under ASan any write past its buffer is caught.
    const std::string answer =
        std::string(padding, 'a') + std::string(kLongAnswerBlock) + std::string(20000, 'z');
    const auto server = StartServer({ConnectionScript::Answer(answer, GetParam().maxChunk)});
    const auto client = MakeClient(server->Port());

    ASSERT_EQ(client->Connect(), gateway::RESULT_OK) << Shown(client->GetMessage());
    EXPECT_EQ(client->GetResult().m_szResUserName.View(), "carol");
    EXPECT_EQ(client->GetResult().m_szConnections.View(), "3");
    EXPECT_EQ(client->GetResult().m_szServerMessage.View(), "long");
}

INSTANTIATE_TEST_SUITE_P(
    Placements, TransportLongAnswer,
    testing::Values(LongAnswerCase{"BlockFirstOneWrite", 0, 0},
                    LongAnswerCase{"BlockFirstInPieces", 0, 1000},
                    // The end marker's last byte is the 4096th byte of the answer.
                    LongAnswerCase{"BlockEndsAtCapacityInPieces", 4096 - kLongAnswerBlock.size(),
                                   7}),
    [](const testing::TestParamInfo<LongAnswerCase>& info) { return info.param.name; });

// --- Certificate verification -------------------------------------------------------------

struct TrustCase {
    const char* name;
    // Makes the trust file's content; null for a path that names nothing.
    std::function<std::string()> content;
};

void PrintTo(const TrustCase& row, std::ostream* out) {
    *out << row.name;
}

class TransportUntrusted : public TransportTest, public testing::WithParamInterface<TrustCase> {};

TEST_P(TransportUntrusted, EveryOperationFailsWithTheCertificateErrorAndSendsNothing) {
    const auto server = StartServer({ConnectionScript::Answer(kConnectAnswer)});
    std::unique_ptr<testsupport::CTempFile> trustFile;
    std::filesystem::path trustPath;
    if (GetParam().content) {
        trustFile = std::make_unique<testsupport::CTempFile>(GetParam().content());
        trustPath = trustFile->Path();
    } else {
        trustPath = m_trustFile->AbsentSibling();
        ASSERT_FALSE(std::filesystem::exists(trustPath));
    }
    const auto client = MakeClient(server->Port(), gateway::TransportOptions{trustPath});

    const std::string prefix = platform::GbkFromLiteral("无效的证书");
    const std::regex detail(R"( errorcode=(-?[0-9]+) depth=(-?[0-9]+))");
    const std::vector<std::function<bool()>> operations = {
        [&] { return client->Connect() == gateway::RESULT_OK; },
        [&] { return client->Disconnect(); },
    };
    for (const auto& operation : operations) {
        EXPECT_FALSE(operation());
        const std::string message(client->GetMessage());
        ASSERT_EQ(Head(message, prefix), prefix) << Shown(message);
        std::smatch numbers;
        const std::string rest = message.substr(prefix.size());
        ASSERT_TRUE(std::regex_match(rest, numbers, detail)) << Shown(message);
        EXPECT_NE(std::stol(numbers[1].str()), X509_V_OK) << Shown(message);
    }
    EXPECT_FALSE(client->IsConnected());

    ASSERT_TRUE(server->WaitForServed(operations.size()));
    EXPECT_EQ(server->AcceptedConnections(), 2);
    // No verification mode is set, so the handshake completes and the check comes after.
    EXPECT_EQ(server->CompletedHandshakes(), 2);
    EXPECT_FALSE(server->ReceivedApplicationBytes());
}

INSTANTIATE_TEST_SUITE_P(
    TrustFiles, TransportUntrusted,
    testing::Values(TrustCase{"Missing", nullptr},
                    TrustCase{"ForeignAuthority",
                              [] { return gatewayd::IssueCredentials(kHost).caCertificatePem; }},
                    TrustCase{"NotACertificate",
                              [] { return std::string("not a certificate\n"); }}),
    [](const testing::TestParamInfo<TrustCase>& info) { return info.param.name; });

// --- Connections and failing servers ------------------------------------------------------

TEST_F(TransportTest, UnreachableServerGivesTheNetworkProblemText) {
    const auto client = MakeClient(testsupport::UnusedLoopbackPort());

    EXPECT_EQ(client->Connect(), gateway::RESULT_FAILED);
    EXPECT_EQ(client->GetMessage(), NetworkProblemText()) << Shown(client->GetMessage());
    EXPECT_FALSE(client->IsConnected());
}

// A name server on loopback that reads every query and never answers.
class CSilentNameServer {
public:
    CSilentNameServer() : m_fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_GE(m_fd, 0);
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_port = ntohs(address.sin_port);
    }
    ~CSilentNameServer() { close(m_fd); }
    CSilentNameServer(const CSilentNameServer&) = delete;
    CSilentNameServer& operator=(const CSilentNameServer&) = delete;

    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

    // Whether a query has arrived (and is left unanswered).
    bool WasAsked() const {
        std::array<char, 512> query{};
        return recv(m_fd, query.data(), query.size(), MSG_DONTWAIT) > 0;
    }

private:
    int m_fd;
    std::uint16_t m_port = 0;
};

TEST_F(TransportTest, HostNameLookupIsBoundedByTheTimeOut) {
    const CSilentNameServer nameServer;
    gateway::TransportOptions options{m_trustFile->Path(), kShortTimeout, {nameServer.Address()}};
    CQELOpenSSLVORNClient client(gateway::GatewayServer{"gateway.unanswered.test", 5428},
                                 m_messageBox, options);
    ASSERT_TRUE(client.SetUserName("alice"));
    ASSERT_TRUE(client.SetPassword("s3cret-pw"));
    ASSERT_TRUE(client.SetRange(gateway::RANGE_FREE));

    EXPECT_EQ(client.Connect(), gateway::RESULT_FAILED);
    EXPECT_EQ(client.GetMessage(), NetworkProblemText()) << Shown(client.GetMessage());
    EXPECT_TRUE(nameServer.WasAsked());
}

TEST_F(TransportTest, HostNamesAreLookedUp) {
    const auto server = StartServer({ConnectionScript::Answer(kConnectAnswer)});
    CQELOpenSSLVORNClient client(gateway::GatewayServer{"localhost", server->Port()}, m_messageBox,
                                 {m_trustFile->Path()});
    ASSERT_TRUE(client.SetUserName("alice"));
    ASSERT_TRUE(client.SetPassword("s3cret-pw"));
    ASSERT_TRUE(client.SetRange(gateway::RANGE_FREE));
    EXPECT_EQ(client.Connect(), gateway::RESULT_OK) << Shown(client.GetMessage());
}

TEST_F(TransportTest, EveryOperationOpensItsOwnConnection) {
    const auto server = StartServer({ConnectionScript::Answer(kConnectAnswer)});
    const auto client = MakeClient(server->Port());

    EXPECT_EQ(client->Connect(), gateway::RESULT_OK) << Shown(client->GetMessage());
    EXPECT_TRUE(client->Disconnect()) << Shown(client->GetMessage());
    EXPECT_EQ(client->DisconnectAll(), gateway::RESULT_OK) << Shown(client->GetMessage());

    ASSERT_TRUE(server->WaitForServed(3));
    EXPECT_EQ(server->AcceptedConnections(), 3);
    EXPECT_EQ(server->CompletedHandshakes(), 3);
    const std::vector<std::string> requests = server->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NE(requests[0].find("&operation=connect&"), std::string::npos) << requests[0];
    EXPECT_NE(requests[1].find("&operation=disconnect&"), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("&operation=disconnectall&"), std::string::npos) << requests[2];
}

TEST_F(TransportTest, AfterAFailedOperationTheNextConnectsAfresh) {
    const auto server = StartServer({ConnectionScript::Of(Kind::CloseAfterHandshake),
                                     ConnectionScript::Answer("HTTP/1.0 500 Oops\r\n\r\nno block"),
                                     ConnectionScript::Answer(kConnectAnswer)});
    const auto client = MakeClient(server->Port());

    EXPECT_EQ(client->Connect(), gateway::RESULT_FAILED);
    EXPECT_EQ(Head(client->GetMessage(), "Error:read:"), "Error:read:")
        << Shown(client->GetMessage());
    EXPECT_EQ(client->Connect(), gateway::RESULT_FAILED);
    EXPECT_EQ(client->GetMessage(), platform::GbkFromLiteral("返回值不正确"))
        << Shown(client->GetMessage());
    EXPECT_EQ(client->Connect(), gateway::RESULT_OK) << Shown(client->GetMessage());
    EXPECT_EQ(client->GetResult().m_szResUserName.View(), "alice");

    ASSERT_TRUE(server->WaitForServed(3));
    EXPECT_EQ(server->AcceptedConnections(), 3);
    EXPECT_EQ(server->CompletedHandshakes(), 3);
}

struct OpenAfterAnswerCase {
    const char* name;
    std::string answer;
    int code;
    const char* message; // UTF-8
};

void PrintTo(const OpenAfterAnswerCase& row, std::ostream* out) {
    *out << row.name;
}

class TransportOpenAfterAnswer : public TransportTest,
                                 public testing::WithParamInterface<OpenAfterAnswerCase> {};

TEST_P(TransportOpenAfterAnswer, ParsesWhatArrived) {
    const OpenAfterAnswerCase& row = GetParam();
    const auto server = StartServer({ConnectionScript::Of(Kind::AnswerAndStayOpen, row.answer)});
    const auto client = MakeClient(server->Port(), kShortTimeout);

    EXPECT_EQ(client->Connect(), row.code) << Shown(client->GetMessage());
    EXPECT_EQ(client->GetMessage(), platform::GbkFromLiteral(row.message))
        << Shown(client->GetMessage());
    EXPECT_EQ(client->IsConnected(), row.code == gateway::RESULT_OK);
    ASSERT_TRUE(server->WaitForServed(1));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, TransportOpenAfterAnswer,
    testing::Values(
        // The whole answer: the connection is open at the gateway, whatever comes after.
        OpenAfterAnswerCase{"Complete", kConnectAnswer, gateway::RESULT_OK, ""},
        // Parsed once the server has been quiet for the time-out.
        OpenAfterAnswerCase{"WithoutEndMarker", "HTTP/1.0 200 OK\r\n\r\nVORNCLIENT_START ",
                            gateway::RESULT_FAILED, "返回值不正确"}),
    [](const testing::TestParamInfo<OpenAfterAnswerCase>& info) { return info.param.name; });

struct SilentCase {
    const char* name;
    Kind kind;
    bool expectHandshake;
    // The whole message, or its beginning when prefixOnly.
    std::function<std::string()> expected;
    bool prefixOnly;
};

void PrintTo(const SilentCase& row, std::ostream* out) {
    *out << row.name;
}

class TransportSilentServer : public TransportTest,
                              public testing::WithParamInterface<SilentCase> {};

TEST_P(TransportSilentServer, OperationEndsWithAnError) {
    const SilentCase& row = GetParam();
    const auto server = StartServer({ConnectionScript::Of(row.kind)});
    const auto client = MakeClient(server->Port(), kShortTimeout);

    EXPECT_EQ(client->Connect(), gateway::RESULT_FAILED);
    const std::string message(client->GetMessage());
    const std::string expected = row.expected();
    if (row.prefixOnly) {
        EXPECT_EQ(Head(message, expected), expected) << Shown(message);
    } else {
        EXPECT_EQ(message, expected) << Shown(message);
    }
    EXPECT_FALSE(client->IsConnected());

    ASSERT_TRUE(server->WaitForServed(1));
    EXPECT_EQ(server->AcceptedConnections(), 1);
    EXPECT_EQ(server->CompletedHandshakes(), row.expectHandshake ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Behaviours, TransportSilentServer,
    testing::Values(SilentCase{"NoHandshake", Kind::SilentBeforeHandshake, false,
                               NetworkProblemText, false},
                    SilentCase{"SilentAfterHandshake", Kind::SilentAfterHandshake, true,
                               [] { return std::string("Error:read:"); }, true},
                    SilentCase{"ClosesAfterHandshake", Kind::CloseAfterHandshake, true,
                               [] { return std::string("Error:read:"); }, true}),
    [](const testing::TestParamInfo<SilentCase>& info) { return info.param.name; });

} // namespace
