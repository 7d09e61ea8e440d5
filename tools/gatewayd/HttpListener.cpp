#include "tools/gatewayd/HttpListener.h"

#include "tools/gatewayd/HttpMessage.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace gatewayd {
namespace {

bool IsTransient(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

CHttpListener::CHttpListener(RequestHandler handler, ListenerOptions options)
    : m_handler(std::move(handler)), m_options(std::move(options)),
      m_server([this](int fd, const std::string& peer,
                      const CStopEvent& stop) { Serve(fd, peer, stop); },
               m_options.maxConnections) {}

bool CHttpListener::Start(std::string& error) {
    return m_server.Listen(m_options.bindAddress, m_options.port, error) && m_server.Start(error);
}

void CHttpListener::Serve(int fd, const std::string& peerAddress, const CStopEvent& stop) {
    std::string received;
    std::size_t headEnd = std::string::npos;
    if (!ReadHead(fd, stop, received, headEnd)) {
        return;
    }
    const std::string response =
        m_handler(std::string_view(received).substr(0, headEnd), peerAddress);
    Send(fd, response, stop);
}

bool CHttpListener::ReadHead(int fd, const CStopEvent& stop, std::string& received,
                             std::size_t& headEnd) {
    const Deadline deadline = std::chrono::steady_clock::now() + m_options.timeout;
    while ((headEnd = FindHeadEnd(received)) == std::string::npos) {
        if (received.size() >= m_options.maxRequestBytes ||
            WaitForSocket(fd, POLLIN, deadline, stop) != WaitResult::Ready) {
            return false;
        }
        std::array<char, 2048> chunk{};
        const std::size_t wanted =
            std::min(chunk.size(), m_options.maxRequestBytes - received.size());
        const ssize_t got = recv(fd, chunk.data(), wanted, 0);
        if (got == 0 || (got < 0 && !IsTransient(errno))) {
            return false;
        }
        if (got > 0) {
            received.append(chunk.data(), static_cast<std::size_t>(got));
        }
    }
    return true;
}

void CHttpListener::Send(int fd, const std::string& response, const CStopEvent& stop) const {
    const Deadline deadline = std::chrono::steady_clock::now() + m_options.timeout;
    std::size_t written = 0;
    while (written < response.size()) {
        const ssize_t sent =
            send(fd, response.data() + written, response.size() - written, MSG_NOSIGNAL);
        if (sent > 0) {
            written += static_cast<std::size_t>(sent);
            continue;
        }
        if ((sent < 0 && !IsTransient(errno)) ||
            WaitForSocket(fd, POLLOUT, deadline, stop) != WaitResult::Ready) {
            return;
        }
    }
}

} // namespace gatewayd
