#include "tools/gatewayd/TcpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace gatewayd {
namespace {

constexpr int kListenBacklog = 128;

// How long a closed connection waits for the peer to close its side.
constexpr std::chrono::seconds kLingerTime{2};
constexpr std::size_t kMaxLingerBytes = std::size_t{64} * 1024;

// How long the accept loop pauses when the process is out of descriptors or memory.
constexpr std::chrono::milliseconds kAcceptBackoff{100};

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::error_code(errno, std::generic_category()).message();
}

std::string PeerAddressText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        // A client on a dual-stack socket is shown by its IPv4 address, as it knows itself.
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) {
            inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], text, sizeof text);
        } else {
            inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        }
    }
    return text;
}

} // namespace

CTcpServer::CTcpServer(ConnectionHandler handler, std::size_t maxConnections)
    : m_handler(std::move(handler)), m_maxConnections(maxConnections) {}

CTcpServer::~CTcpServer() {
    Stop();
}

bool CTcpServer::Listen(const std::string& address, std::uint16_t port, std::string& error) {
    if (!m_stop.IsOpen()) {
        error = "cannot create the stop event";
        return false;
    }
    sockaddr_storage storage{};
    socklen_t length = 0;
    auto& v4 = reinterpret_cast<sockaddr_in&>(storage);
    auto& v6 = reinterpret_cast<sockaddr_in6&>(storage);
    if (inet_pton(AF_INET, address.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        length = sizeof v4;
    } else if (inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        length = sizeof v6;
    } else {
        error = "\"" + address + "\" is not a numeric IPv4 or IPv6 address";
        return false;
    }
    const int fd = socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrnoText("socket");
        return false;
    }
    const int on = 1;
    // A restarted server must not wait for the old connections' TIME_WAIT to end.
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(fd, reinterpret_cast<const sockaddr*>(&storage), length) != 0 ||
        listen(fd, kListenBacklog) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        error = ErrnoText(("cannot listen on " + address + ":" + std::to_string(port)).c_str());
        close(fd);
        return false;
    }
    m_listenFd = fd;
    m_address = address;
    m_port = ntohs(storage.ss_family == AF_INET ? v4.sin_port : v6.sin6_port);
    return true;
}

std::string CTcpServer::Endpoint() const {
    const bool isV6 = m_address.find(':') != std::string::npos;
    return (isV6 ? "[" + m_address + "]" : m_address) + ":" + std::to_string(m_port);
}

bool CTcpServer::Start(std::string& error) {
    if (m_listenFd < 0) {
        error = "the server is not listening";
        return false;
    }
    try {
        m_acceptThread = std::thread([this] { AcceptLoop(); });
    } catch (const std::system_error& failure) {
        error = std::string("cannot start the accept thread: ") + failure.what();
        return false;
    }
    return true;
}

void CTcpServer::Stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stop.Notify();
    m_slotFreed.notify_all();
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    // The accept thread has ended, so no worker is added any more.
    std::list<Worker> workers;
    {
        const std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (Worker& worker : workers) {
        worker.thread.join();
    }
    // Nothing polls the socket any more; closing it refuses new connections at once.
    if (m_listenFd >= 0) {
        close(m_listenFd);
        m_listenFd = -1;
    }
}

void CTcpServer::AcceptLoop() {
    for (;;) {
        JoinFinishedWorkers();
        if (!WaitForSlot()) {
            return;
        }
        const WaitResult waited = WaitForSocket(m_listenFd, POLLIN, Deadline::max(), m_stop);
        if (waited == WaitResult::Stopped) {
            return;
        }
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = accept4(m_listenFd, reinterpret_cast<sockaddr*>(&peer), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            Spawn(fd, PeerAddressText(peer));
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED) {
            continue;
        }
        std::fprintf(stderr, "gatewayd: %s\n", ErrnoText("accept").c_str());
        // Out of descriptors or memory: give the running connections time to end.
        WaitForSocket(-1, 0, std::chrono::steady_clock::now() + kAcceptBackoff, m_stop);
    }
}

bool CTcpServer::WaitForSlot() {
    std::unique_lock lock(m_mutex);
    m_slotFreed.wait(lock, [this] { return m_stopping || m_active < m_maxConnections; });
    return !m_stopping;
}

void CTcpServer::Spawn(int fd, std::string peerAddress) {
    const std::lock_guard lock(m_mutex);
    const auto self = m_workers.emplace(m_workers.end());
    try {
        // The worker marks itself finished under m_mutex, so not before it is stored.
        self->thread =
            std::thread([this, fd, peer = std::move(peerAddress), self] { Serve(fd, peer, self); });
        ++m_active;
    } catch (const std::system_error& failure) {
        std::fprintf(stderr, "gatewayd: cannot start a connection thread: %s\n", failure.what());
        m_workers.erase(self);
        close(fd);
    }
}

void CTcpServer::JoinFinishedWorkers() {
    std::list<Worker> finished;
    {
        const std::lock_guard lock(m_mutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            const auto next = std::next(it);
            if (it->finished) {
                finished.splice(finished.end(), m_workers, it);
            }
            it = next;
        }
    }
    for (Worker& worker : finished) {
        worker.thread.join();
    }
}

void CTcpServer::Serve(int fd, const std::string& peerAddress, std::list<Worker>::iterator self) {
    m_handler(fd, peerAddress, m_stop);
    CloseGracefully(fd);
    const std::lock_guard lock(m_mutex);
    self->finished = true;
    --m_active;
    m_slotFreed.notify_all();
}

void CTcpServer::CloseGracefully(int fd) {
    // Unread bytes at close() would make the kernel send a reset, which can destroy the
    // answer before the peer has read it; so end our side and read until the peer closes.
    if (shutdown(fd, SHUT_WR) == 0) {
        const Deadline deadline = std::chrono::steady_clock::now() + kLingerTime;
        char buffer[4096];
        std::size_t drained = 0;
        while (drained < kMaxLingerBytes &&
               WaitForSocket(fd, POLLIN, deadline, m_stop) == WaitResult::Ready) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                break;
            }
            drained += got > 0 ? static_cast<std::size_t>(got) : 0;
        }
    }
    close(fd);
}

} // namespace gatewayd
