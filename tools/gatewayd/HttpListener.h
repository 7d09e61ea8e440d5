#pragma once

#include "tools/gatewayd/ListenerOptions.h"
#include "tools/gatewayd/TcpServer.h"

#include <cstdint>
#include <string>

namespace gatewayd {

// The plain-HTTP endpoint: one request per connection. It reads the request head, sends
// what the handler answers and closes the connection. A connection that fails, stalls or
// sends too much is closed without an answer. The handler runs on the connection's own
// thread, several at once.
class CHttpListener {
public:
    CHttpListener(RequestHandler handler, ListenerOptions options);
    // Stops the listener.
    ~CHttpListener() { Stop(); }
    CHttpListener(const CHttpListener&) = delete;
    CHttpListener& operator=(const CHttpListener&) = delete;

    // Binds and starts serving. On failure error says why and nothing is served. Call once.
    bool Start(std::string& error);

    // The bound port and "ADDR:PORT", once started.
    std::uint16_t Port() const { return m_server.Port(); }
    std::string Endpoint() const { return m_server.Endpoint(); }

    // Ends every connection early and joins all threads. Safe to call more than once.
    void Stop() { m_server.Stop(); }

private:
    void Serve(int fd, const std::string& peerAddress, const CStopEvent& stop);
    bool ReadHead(int fd, const CStopEvent& stop, std::string& received, std::size_t& headEnd);
    void Send(int fd, const std::string& response, const CStopEvent& stop) const;

    const RequestHandler m_handler;
    const ListenerOptions m_options;
    CTcpServer m_server;
};

} // namespace gatewayd
