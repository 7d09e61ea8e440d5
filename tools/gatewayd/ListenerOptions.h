#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace gatewayd {

// Answers one request: given the request's head (up to and including its empty line) and
// the peer's address, the complete bytes to send back.
using RequestHandler = std::function<std::string(std::string_view head, std::string_view peer)>;

// How a listener of one request per connection serves.
struct ListenerOptions {
    std::string bindAddress = "127.0.0.1";
    std::uint16_t port = 0;             // 0 picks a free port
    std::size_t maxConnections = 64;    // served at once; more wait to be accepted
    std::size_t maxRequestBytes = 8192; // a longer head is dropped unanswered
    // Bounds the reading of the request (with the handshake, if any), and separately the
    // answer, so that a stalled client cannot hold a connection slot.
    std::chrono::milliseconds timeout{10'000};
};

} // namespace gatewayd
