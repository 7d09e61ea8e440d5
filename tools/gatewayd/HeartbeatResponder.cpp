#include "tools/gatewayd/HeartbeatResponder.h"

#include <poll.h>

#include <cstdio>
#include <system_error>

namespace gatewayd {
namespace {

constexpr char kProbe = 'r';
constexpr std::string_view kReply = "A";

} // namespace

CHeartbeatResponder::~CHeartbeatResponder() {
    Stop();
}

bool CHeartbeatResponder::Listen(const std::string& address, std::uint16_t port,
                                 std::string& error) {
    if (!m_thread.IsReady()) {
        error = "cannot create the stop event";
        return false;
    }
    if (!m_socket.Open() || !m_socket.Bind(address.c_str(), port) ||
        (m_port = m_socket.LocalPort()) == 0) {
        error = "cannot bind a heartbeat port on " + address + ":" + std::to_string(port) + ": " +
                std::error_code(errno, std::generic_category()).message();
        m_socket.Close();
        return false;
    }
    return true;
}

bool CHeartbeatResponder::Start(std::string& error) {
    if (!m_socket.IsOpen()) {
        error = "the heartbeat responder is not bound";
        return false;
    }
    return m_thread.Start(
        "heartbeat", [this](const CStopEvent& stop) { Serve(stop); }, error);
}

void CHeartbeatResponder::Stop() {
    m_thread.Stop();
    m_socket.Close();
}

void CHeartbeatResponder::Serve(const CStopEvent& stop) {
    for (;;) {
        const WaitResult waited = WaitForSocket(m_socket.Fd(), POLLIN, Deadline::max(), stop);
        if (waited == WaitResult::Stopped || waited == WaitResult::Failed) {
            if (waited == WaitResult::Failed) {
                std::fprintf(stderr, "gatewayd: the heartbeat port %u cannot be waited on\n",
                             static_cast<unsigned>(m_port));
            }
            return;
        }
        char probe[2];
        platform::Ipv4Endpoint sender;
        if (m_socket.Receive(probe, &sender) == 1 && probe[0] == kProbe && !m_silent &&
            !(m_quiet && m_quiet())) {
            // A lost answer is what a client must cope with anyway.
            [[maybe_unused]] const bool sent = m_socket.SendTo(sender, kReply);
        }
    }
}

} // namespace gatewayd
