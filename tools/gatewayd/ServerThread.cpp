#include "tools/gatewayd/ServerThread.h"

#include <system_error>

namespace gatewayd {

CServerThread::~CServerThread() {
    Stop();
}

bool CServerThread::Start(const std::string& what, std::function<void(const CStopEvent&)> body,
                          std::string& error) {
    try {
        m_thread = std::thread([this, body = std::move(body)] { body(m_stop); });
    } catch (const std::system_error& failure) {
        error = "cannot start the " + what + " thread: " + failure.what();
        return false;
    }
    return true;
}

void CServerThread::Stop() {
    m_stop.Notify();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

} // namespace gatewayd
