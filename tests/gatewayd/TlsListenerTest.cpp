#include "tools/gatewayd/TlsListener.h"

#include "TlsTestClient.h"
#include "platform/GbkCodec.h"
#include "tools/gatewayd/AccountBook.h"
#include "tools/gatewayd/GatewayService.h"
#include "tools/gatewayd/HttpMessage.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using gatewayd_test::CTlsTestClient;
using gatewayd_test::ExchangeOverTls;
using gatewayd_test::TlsReply;

const std::string kConnect = "GET https://localhost:5428/vornofqel?uid=u&password=p&range=2"
                             "&operation=connect&timeout=1\nHost:localhost\n\n";

// A file descriptor closed with the test.
struct CSocket {
    explicit CSocket(int fd) : m_fd(fd) {}
    ~CSocket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    int m_fd;
};

class TlsListener : public testing::Test {
protected:
    // Starts the gateway on a free loopback port with options changed by adjust.
    void StartListener(const std::function<void(gatewayd::TlsListenerOptions&)>& adjust = {}) {
        gatewayd::TlsListenerOptions options;
        options.port = 0;
        if (adjust) {
            adjust(options);
        }
        m_listener = std::make_unique<gatewayd::CTlsListener>(
            [this](std::string_view head, std::string_view peer) {
                return m_service.Respond(head, peer);
            },
            options);
        std::string error;
        ASSERT_TRUE(m_listener->Start(m_credentials, error)) << error;
        ASSERT_NE(m_listener->Port(), 0);
    }

    std::uint16_t Port() const { return m_listener->Port(); }
    const std::string& CaPem() const { return m_credentials.caCertificatePem; }

    static std::string ConnectAnswer(int connections) {
        return gatewayd::BuildHttpResponse(
            "200 OK", platform::GbkFromLiteral(
                          "VORNCLIENT_STARTSUCCESS=YES USERNAME=u FIXRATE=NO SCOPE=domestic "
                          "DEFICIT=NO CONNECTIONS=" +
                          std::to_string(connections) +
                          " BALANCE=1.00 IP=127.0.0.1 MESSAGE=欢迎使用校园网。 VORNCLIENT_END"));
    }

    gatewayd::Credentials m_credentials = gatewayd::IssueCredentials("localhost");
    gatewayd::CAccountBook m_book{
        {{"u", "p", "1.00", std::nullopt, std::nullopt, false, 10, false}}};
    gatewayd::CGatewayService m_service{m_book};
    std::unique_ptr<gatewayd::CTlsListener> m_listener;
};

TEST_F(TlsListener, AnswersOneRequestThenEndsTheSessionAndTheConnection) {
    StartListener();
    EXPECT_EQ(m_listener->Endpoint(), "127.0.0.1:" + std::to_string(Port()));
    const TlsReply reply = ExchangeOverTls(Port(), CaPem(), kConnect);
    ASSERT_TRUE(reply.Connected()) << reply.error;
    EXPECT_EQ(reply.answer, ConnectAnswer(1));
    EXPECT_TRUE(reply.closeNotifyReceived);
    EXPECT_TRUE(reply.socketClosed);
}

TEST_F(TlsListener, TakesARequestThatArrivesInPieces) {
    StartListener();
    CTlsTestClient client;
    ASSERT_EQ(client.Connect(Port(), CaPem()), "");
    const std::string request =
        "GET /vornofqel?uid=u&password=p&range=2&operation=connect HTTP/1.1\r\nHost: x\r\n\r\n";
    for (std::size_t at = 0; at < request.size(); at += 7) {
        ASSERT_TRUE(client.Send(std::string_view(request).substr(at, 7)));
    }
    TlsReply reply;
    client.ReadToEnd(reply);
    EXPECT_EQ(reply.answer, ConnectAnswer(1));
    EXPECT_TRUE(reply.closeNotifyReceived);
}

TEST_F(TlsListener, ASlowClientDoesNotHoldUpTheOthers) {
    StartListener();
    const CSocket silent(gatewayd_test::ConnectTcp(Port())); // not even a handshake
    ASSERT_GE(silent.m_fd, 0);
    CTlsTestClient halfway;
    ASSERT_EQ(halfway.Connect(Port(), CaPem()), "");
    ASSERT_TRUE(halfway.Send(std::string_view(kConnect).substr(0, 40)));

    const TlsReply quick = ExchangeOverTls(Port(), CaPem(), kConnect);
    ASSERT_TRUE(quick.Connected()) << quick.error;
    EXPECT_EQ(quick.answer, ConnectAnswer(1));

    ASSERT_TRUE(halfway.Send(std::string_view(kConnect).substr(40)));
    TlsReply late;
    halfway.ReadToEnd(late);
    EXPECT_EQ(late.answer, ConnectAnswer(2));
}

TEST_F(TlsListener, ClosesAStalledConnectionAfterTheTimeOut) {
    StartListener([](gatewayd::TlsListenerOptions& options) {
        // Short, yet long enough for a loopback handshake on a loaded machine.
        options.timeout = std::chrono::seconds(1);
    });
    const CSocket silent(gatewayd_test::ConnectTcp(Port()));
    ASSERT_GE(silent.m_fd, 0);
    EXPECT_TRUE(gatewayd_test::PeerCloses(silent.m_fd));

    CTlsTestClient halfway;
    ASSERT_EQ(halfway.Connect(Port(), CaPem()), "");
    ASSERT_TRUE(halfway.Send("GET /vornofqel?uid=u"));
    TlsReply reply;
    halfway.ReadToEnd(reply);
    EXPECT_EQ(reply.answer, "");
    EXPECT_TRUE(reply.socketClosed);
    EXPECT_EQ(m_book.OpenConnections(*m_book.Authenticate("u", "p")), 0);
}

TEST_F(TlsListener, DropsAnOverlongRequestUnanswered) {
    StartListener([](gatewayd::TlsListenerOptions& options) { options.maxRequestBytes = 8192; });
    const TlsReply reply =
        ExchangeOverTls(Port(), CaPem(), "GET /vornofqel?" + std::string(9000, 'a'));
    ASSERT_TRUE(reply.Connected()) << reply.error;
    EXPECT_EQ(reply.answer, "");
    EXPECT_FALSE(reply.closeNotifyReceived);
    EXPECT_TRUE(reply.socketClosed);
}

TEST_F(TlsListener, StopEndsTheConnectionsInProgressAndRefusesNewOnes) {
    StartListener();
    CTlsTestClient halfway;
    ASSERT_EQ(halfway.Connect(Port(), CaPem()), "");
    ASSERT_TRUE(halfway.Send("GET /vornofqel?uid=u"));
    const std::uint16_t port = Port();

    m_listener->Stop();
    TlsReply reply;
    halfway.ReadToEnd(reply);
    EXPECT_EQ(reply.answer, "");
    EXPECT_TRUE(reply.socketClosed);
    const CSocket refused(gatewayd_test::ConnectTcp(port));
    EXPECT_LT(refused.m_fd, 0);
}

TEST_F(TlsListener, RefusesAKeyThatDoesNotMatchTheCertificate) {
    gatewayd::TlsListenerOptions options;
    options.port = 0;
    gatewayd::CTlsListener listener([](std::string_view, std::string_view) { return "x"; },
                                    options);
    gatewayd::Credentials mixed = m_credentials;
    mixed.serverKeyPem = gatewayd::IssueCredentials("localhost").serverKeyPem;
    std::string error;
    EXPECT_FALSE(listener.Start(mixed, error));
    EXPECT_EQ(error.rfind("the server key is unusable or does not match the certificate: ", 0), 0u)
        << error;
}

} // namespace
