#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = endpoint.address;
    address.sin_port = htons(endpoint.port);
    return address;
}

} // namespace

CUdpSocket::~CUdpSocket() {
    Close();
}

bool CUdpSocket::Open() {
    if (m_fd < 0) {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    }
    return m_fd >= 0;
}

bool CUdpSocket::Bind(const char* address, std::uint16_t port) {
    Ipv4Endpoint endpoint;
    endpoint.port = port;
    if (m_fd < 0 || inet_pton(AF_INET, address, &endpoint.address) != 1) {
        return false;
    }
    const sockaddr_in bound = ToSockaddr(endpoint);
    return bind(m_fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) == 0;
}

void CUdpSocket::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

std::uint16_t CUdpSocket::LocalPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (m_fd < 0 || getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

bool CUdpSocket::SendTo(const Ipv4Endpoint& destination, std::string_view bytes) {
    const sockaddr_in address = ToSockaddr(destination);
    const ssize_t sent = sendto(m_fd, bytes.data(), bytes.size(), 0,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent >= 0 && static_cast<std::size_t>(sent) == bytes.size();
}

std::optional<std::size_t> CUdpSocket::Receive(std::span<char> buffer, Ipv4Endpoint* sender) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    // MSG_TRUNC answers the datagram's real length, so a cut datagram is told apart.
    const ssize_t received = recvfrom(m_fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                      reinterpret_cast<sockaddr*>(&address), &length);
    if (received < 0) {
        return std::nullopt;
    }
    if (sender != nullptr) {
        sender->address = address.sin_addr.s_addr;
        sender->port = ntohs(address.sin_port);
    }
    return static_cast<std::size_t>(received);
}

} // namespace platform
