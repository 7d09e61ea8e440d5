#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

namespace testsupport {

// Binds a new TCP socket to 127.0.0.1 on port 0 and answers it with the port it got;
// {-1, 0} when that fails.
std::pair<int, std::uint16_t> BindLoopback();

// A TCP server on 127.0.0.1 that never answers: the system completes every connection in
// the listen queue, so a client connects and then waits for ever. It can also take one
// connection and read what the client sent.
class CSilentListener {
public:
    // Throws std::runtime_error when the socket cannot be set up.
    CSilentListener();
    ~CSilentListener();
    CSilentListener(const CSilentListener&) = delete;
    CSilentListener& operator=(const CSilentListener&) = delete;

    std::uint16_t Port() const { return m_port; }

    // Accepts one connection and reads from it until the head of a request is complete,
    // the client closes or wait passes; answers what came. The connection stays open,
    // without a word, until Hangup or the end of the listener.
    std::string ReadOneRequest(std::chrono::milliseconds wait);

    // Closes the connection that ReadOneRequest took, if any.
    void Hangup();

private:
    int m_fd = -1;
    int m_connection = -1;
    std::uint16_t m_port = 0;
};

} // namespace testsupport
