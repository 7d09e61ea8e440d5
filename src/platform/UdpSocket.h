#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform {

// An IPv4 address in network byte order and a port in host byte order.
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

// An IPv4 datagram socket, closed at destruction. One thread at a time may use it.
class CUdpSocket {
public:
    CUdpSocket() = default;
    ~CUdpSocket();
    CUdpSocket(const CUdpSocket&) = delete;
    CUdpSocket& operator=(const CUdpSocket&) = delete;

    // Creates the socket, bound to no address in particular; false when the system refuses.
    // An open socket stays as it is.
    bool Open();

    // Binds an open socket to the numeric IPv4 address and port (0 for a free one).
    bool Bind(const char* address, std::uint16_t port);

    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    // The local port, or 0 when it cannot be told.
    std::uint16_t LocalPort() const;

    // Sends bytes as one datagram; false when it was not sent whole.
    bool SendTo(const Ipv4Endpoint& destination, std::string_view bytes);

    // Receives one datagram into buffer without waiting and answers its full length, which
    // is more than the buffer when it was cut; sender, when given, gets the sender. Nothing
    // when no datagram could be taken.
    std::optional<std::size_t> Receive(std::span<char> buffer, Ipv4Endpoint* sender = nullptr);

private:
    int m_fd = -1;
};

} // namespace platform
