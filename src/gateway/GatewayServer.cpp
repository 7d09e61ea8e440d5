#include "gateway/GatewayServer.h"

namespace gateway {

std::string GatewayServer::TlsAuthority() const {
    return host + ":" + std::to_string(tlsPort);
}

std::string GatewayServer::HomePage() const {
    std::string page = "http://" + host;
    if (httpPort != kDefaultHttpPort) {
        page += ":" + std::to_string(httpPort);
    }
    return page + "/";
}

GatewayServer DefaultGatewayServer() {
    return GatewayServer{VORN_GATEWAY_HOST};
}

} // namespace gateway
