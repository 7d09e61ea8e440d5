#pragma once

#include "tests/support/NetworkNamespace.h"

#include <string>

namespace testsupport {

// One link of a CGatewayNetwork: a veth pair with an address at each end.
struct GatewayLink {
    std::string clientInterface;
    std::string gatewayInterface;
    std::string clientAddress;  // dotted
    std::string gatewayAddress; // dotted
    std::string gatewayMac;     // aa:bb:cc:dd:ee:ff
};

// A client namespace and a gateway namespace of the test's own, joined by veth links;
// nothing reaches the machine's own network. Both go, with their links, when the object
// goes, whatever the test's outcome. Needs root (CNetworkNamespace::CanCreate).
class CGatewayNetwork {
public:
    CGatewayNetwork();

    const CNetworkNamespace& Client() const { return m_client; }
    const CNetworkNamespace& Gateway() const { return m_gateway; }

    // Joins the namespaces by a new link in a /24: the gateway's end holds gatewayAddress
    // and the hardware address gatewayMac, the client's end clientAddress.
    bool AddLink(const std::string& gatewayAddress, const std::string& clientAddress,
                 const std::string& gatewayMac, GatewayLink& link) const;

    // A default route of the client through gateway with the given metric.
    bool AddDefaultRoute(const std::string& gateway, int metric) const;

    // The client's neighbour entry for address as ip prints it ("ADDR dev IF lladdr MAC
    // STATE"), or an empty text when it has none.
    std::string ClientNeighbour(const std::string& address) const;

private:
    CNetworkNamespace m_client;
    CNetworkNamespace m_gateway;
};

} // namespace testsupport
