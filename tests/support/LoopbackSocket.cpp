#include "tests/support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

namespace testsupport {
namespace {

// Waits for fd to become readable until deadline; false when it does not.
bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        return false;
    }
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, static_cast<int>(left.count())) == 1;
}

} // namespace

std::pair<int, std::uint16_t> BindLoopback() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return {-1, 0};
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return {-1, 0};
    }
    return {fd, ntohs(address.sin_port)};
}

CSilentListener::CSilentListener() {
    const auto [fd, port] = BindLoopback();
    if (fd < 0 || listen(fd, 16) != 0) {
        if (fd >= 0) {
            close(fd);
        }
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    m_fd = fd;
    m_port = port;
}

CSilentListener::~CSilentListener() {
    Hangup();
    close(m_fd);
}

void CSilentListener::Hangup() {
    if (m_connection >= 0) {
        close(m_connection);
        m_connection = -1;
    }
}

std::string CSilentListener::ReadOneRequest(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    if (!WaitReadable(m_fd, deadline)) {
        return {};
    }
    Hangup();
    const int connection = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
        return {};
    }
    m_connection = connection;
    std::string received;
    while (received.find("\r\n\r\n") == std::string::npos && WaitReadable(connection, deadline)) {
        std::array<char, 1024> chunk{};
        const ssize_t got = recv(connection, chunk.data(), chunk.size(), 0);
        if (got <= 0) {
            break;
        }
        received.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return received;
}

} // namespace testsupport
