#include "tests/support/GatewayNetwork.h"

namespace testsupport {

CGatewayNetwork::CGatewayNetwork() : m_client("client"), m_gateway("gateway") {
    m_client.Ip({"link", "set", "lo", "up"});
    m_gateway.Ip({"link", "set", "lo", "up"});
}

bool CGatewayNetwork::AddLink(const std::string& gatewayAddress, const std::string& clientAddress,
                              const std::string& gatewayMac, GatewayLink& link) const {
    link.clientInterface = CNetworkNamespace::UniqueInterfaceName("vc");
    link.gatewayInterface = CNetworkNamespace::UniqueInterfaceName("vg");
    link.clientAddress = clientAddress;
    link.gatewayAddress = gatewayAddress;
    link.gatewayMac = gatewayMac;
    return m_client.Ip({"link", "add", link.clientInterface, "type", "veth", "peer", "name",
                        link.gatewayInterface, "netns", m_gateway.Name()}) &&
           m_gateway.Ip({"link", "set", link.gatewayInterface, "address", gatewayMac}) &&
           m_gateway.Ip({"addr", "add", gatewayAddress + "/24", "dev", link.gatewayInterface}) &&
           m_client.Ip({"addr", "add", clientAddress + "/24", "dev", link.clientInterface}) &&
           m_gateway.Ip({"link", "set", link.gatewayInterface, "up"}) &&
           m_client.Ip({"link", "set", link.clientInterface, "up"});
}

bool CGatewayNetwork::AddDefaultRoute(const std::string& gateway, int metric) const {
    return m_client.Ip(
        {"route", "add", "default", "via", gateway, "metric", std::to_string(metric)});
}

std::string CGatewayNetwork::ClientNeighbour(const std::string& address) const {
    std::string out;
    m_client.Ip({"neigh", "show", "to", address}, out);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

} // namespace testsupport
