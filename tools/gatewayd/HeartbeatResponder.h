#pragma once

#include "platform/UdpSocket.h"
#include "tools/gatewayd/ServerThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace gatewayd {

// A heartbeat server: a UDP port that answers every probe, the one-byte datagram 'r', with
// the one byte 'A' to its sender. It can be switched silent and back while it runs.
class CHeartbeatResponder {
public:
    CHeartbeatResponder() = default;
    // Stops the responder.
    ~CHeartbeatResponder();
    CHeartbeatResponder(const CHeartbeatResponder&) = delete;
    CHeartbeatResponder& operator=(const CHeartbeatResponder&) = delete;

    // Binds to the numeric IPv4 address and port (0 picks a free port). On failure error
    // says why and nothing is bound. Call once, before Start.
    bool Listen(const std::string& address, std::uint16_t port, std::string& error);

    // The bound port, after Listen succeeded.
    std::uint16_t Port() const { return m_port; }

    // Starts answering on a thread of its own. On failure error says why.
    bool Start(std::string& error);

    // Stops answering and joins the thread. Safe to call more than once.
    void Stop();

    // A silent responder takes the probes and answers none. Any thread.
    void SetSilent(bool silent) { m_silent = silent; }
    bool IsSilent() const { return m_silent; }

    // The responder is also silent while quiet answers true; it is asked on the responder's
    // thread at every probe. Set it before Start.
    void SetQuietWhile(std::function<bool()> quiet) { m_quiet = std::move(quiet); }

private:
    void Serve(const CStopEvent& stop);

    platform::CUdpSocket m_socket;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_silent{false};
    std::function<bool()> m_quiet;
    CServerThread m_thread; // last, so that it ends before the socket goes
};

} // namespace gatewayd
