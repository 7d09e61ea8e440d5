#pragma once

#include <openssl/ssl.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace gatewayd_test {

// How a TLS exchange with a server on loopback went.
struct TlsReply {
    std::string error;                // empty when the connection and the handshake succeeded
    std::string answer;               // every byte the server sent
    bool closeNotifyReceived = false; // the server ended the TLS session properly
    bool socketClosed = false;        // the server closed the TCP connection

    bool Connected() const { return error.empty(); }
};

// A TLS client connection to 127.0.0.1 that trusts only the given CA certificate (PEM) and
// checks the server's chain. Blocking, with a generous guard time-out on every call so that
// a broken server fails a test instead of hanging it.
class CTlsTestClient {
public:
    CTlsTestClient() = default;
    ~CTlsTestClient();
    CTlsTestClient(const CTlsTestClient&) = delete;
    CTlsTestClient& operator=(const CTlsTestClient&) = delete;

    // Connects and completes the handshake; on failure the answer is the reason.
    std::string Connect(std::uint16_t port, const std::string& caPem);

    // Sends bytes in one TLS write; false when it fails.
    bool Send(std::string_view bytes);

    // Reads until the server ends the session or the connection, into reply.
    void ReadToEnd(TlsReply& reply);

private:
    SSL_CTX* m_pCtx = nullptr;
    SSL* m_pSsl = nullptr;
    int m_fd = -1;
};

// Connects, sends request, reads the whole answer.
TlsReply ExchangeOverTls(std::uint16_t port, const std::string& caPem, std::string_view request);

// A plain TCP connection to 127.0.0.1:port, or -1. The guard time-out applies to reads.
int ConnectTcp(std::uint16_t port);

// Whether the peer closes fd (a read answers end of file or a reset) before the guard
// time-out, reading and discarding whatever comes before.
bool PeerCloses(int fd);

} // namespace gatewayd_test
