#pragma once

#include <cstdint>
#include <string>

namespace gateway {

inline constexpr std::uint16_t kDefaultTlsPort = 5428;
inline constexpr std::uint16_t kDefaultHttpPort = 80;

// Where the gateway server is: the one host that serves the gateway operations over TLS,
// the two documents over plain HTTP and the operator's web pages. Every request, link and
// connection target of the client takes the host and ports from here.
struct GatewayServer {
    std::string host;
    std::uint16_t tlsPort = kDefaultTlsPort;
    std::uint16_t httpPort = kDefaultHttpPort;

    // "host:port" of the TLS endpoint, as a connection target and in the request URL.
    std::string TlsAuthority() const;

    // The site's home page over http, with the port only when it is not the default.
    std::string HomePage() const;
};

// The server that this build was configured for, on the default ports.
GatewayServer DefaultGatewayServer();

} // namespace gateway
