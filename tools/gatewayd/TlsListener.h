#pragma once

#include "tools/gatewayd/Certificates.h"
#include "tools/gatewayd/ListenerOptions.h"
#include "tools/gatewayd/TcpServer.h"

#include <openssl/ssl.h>

#include <cstdint>
#include <string>

namespace gatewayd {

using TlsListenerOptions = ListenerOptions;

// The TLS endpoint: one request per connection. It completes the handshake, reads the
// request head, sends what the handler answers, then ends the TLS session (close_notify)
// and the connection. A connection that fails, stalls or sends too much is closed without
// an answer. The handler runs on the connection's own thread, several at once.
class CTlsListener {
public:
    CTlsListener(RequestHandler handler, TlsListenerOptions options);
    // Stops the listener.
    ~CTlsListener();
    CTlsListener(const CTlsListener&) = delete;
    CTlsListener& operator=(const CTlsListener&) = delete;

    // Sets up TLS with the server certificate and key of credentials (PEM), binds and starts
    // serving. On failure error says why and nothing is served. Call once.
    bool Start(const Credentials& credentials, std::string& error);

    // The bound port and "ADDR:PORT", once started.
    std::uint16_t Port() const { return m_server.Port(); }
    std::string Endpoint() const { return m_server.Endpoint(); }

    // Ends every connection early and joins all threads. Safe to call more than once.
    void Stop() { m_server.Stop(); }

private:
    bool SetUpContext(const Credentials& credentials, std::string& error);
    void Serve(int fd, const std::string& peerAddress, const CStopEvent& stop);

    const RequestHandler m_handler;
    const TlsListenerOptions m_options;
    SSL_CTX* m_pCtx = nullptr; // shared by the connections; OpenSSL locks it itself
    CTcpServer m_server;
};

} // namespace gatewayd
