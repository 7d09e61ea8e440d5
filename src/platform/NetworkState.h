#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The facts of the network state report, one query each. Addresses that the system hands
// over as numbers are IPv4 in network byte order; ports are in host order. Every code
// (interface type, route type and protocol, neighbour type, TCP state) is already the
// report's own number, mapped from the system's in ReportCodes.h; 0 means the system's
// code has no counterpart there.

struct CommonConfig {
    std::string hostName;
    std::string domainName;
    std::vector<std::string> dnsServers; // address texts, in the resolver's order
};

struct HardwareAddress {
    std::array<std::uint8_t, 8> bytes{};
    std::size_t length = 0; // 0 when the interface has none

    friend bool operator==(const HardwareAddress&, const HardwareAddress&) = default;
};

struct AdapterInfo {
    int interfaceIndex = 0;
    std::string name;
    std::string description;
    HardwareAddress hardwareAddress;
    std::string ipAddress; // the first IPv4 address as text; empty when it has none
    std::string ipMask;    // that address's mask as text; empty with the address
    std::string gateway;   // the first default route's next hop through it; empty when none
    bool dhcpEnabled = false;
    std::string dhcpServer; // empty when it cannot be known
};

// Traffic counters; a counter the system does not keep is left empty.
struct InterfaceCounters {
    std::optional<std::uint64_t> octets;
    std::optional<std::uint64_t> unicastPackets;
    std::optional<std::uint64_t> nonUnicastPackets;
    std::optional<std::uint64_t> discards;
    std::optional<std::uint64_t> errors;
};

struct InterfaceRecord {
    int index = 0;
    int type = 0; // the report's interface type
    std::uint32_t mtu = 0;
    std::optional<std::uint64_t> speed; // bits per second; empty when the link has none
    InterfaceCounters received;
    InterfaceCounters sent;
    std::optional<std::uint64_t> unknownProtocols; // inbound packets no protocol took
};

struct InterfaceRow {
    int index = 0;
    std::string description;
};

struct ArpRow {
    std::uint32_t address = 0;
    HardwareAddress hardwareAddress;
    int type = 0; // the report's ARP entry type
};

struct RouteRow {
    std::uint32_t destination = 0;
    std::uint32_t mask = 0;
    std::uint32_t nextHop = 0;
    int interfaceIndex = 0;
    int type = 0;     // the report's route type
    int protocol = 0; // the report's route protocol
};

struct ProxySetting {
    static constexpr int kDirect = 1;
    static constexpr int kProxy = 3;

    int accessType = kDirect;
    std::string proxy;  // the proxy list
    std::string bypass; // addresses reached without the proxy
};

struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;

    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

struct TcpRow {
    Endpoint local;
    Endpoint remote;
    int state = 0; // the report's TCP state
};

// Where the report's facts come from: the running system, or a test's fixture machine.
// Each query answers true with its rows, or false with a one-line English reason in error
// and its output untouched. Tables come in the order the report writes them.
class CNetworkState {
public:
    virtual ~CNetworkState() = default;

    virtual bool ReadCommonConfig(CommonConfig& config, std::string& error) const = 0;
    // The adapters in the system's order (every interface but loopback).
    virtual bool ReadAdapters(std::vector<AdapterInfo>& adapters, std::string& error) const = 0;
    virtual bool ReadInterface(int index, InterfaceRecord& record, std::string& error) const = 0;
    // Sorted by interface, then address.
    virtual bool ReadArpTable(std::vector<ArpRow>& rows, std::string& error) const = 0;
    // Sorted by index.
    virtual bool ReadInterfaceList(std::vector<InterfaceRow>& rows, std::string& error) const = 0;
    // In the system's order.
    virtual bool ReadRouteTable(std::vector<RouteRow>& rows, std::string& error) const = 0;
    virtual bool ReadProxySetting(ProxySetting& setting, std::string& error) const = 0;
    // Sorted by local, then remote endpoint.
    virtual bool ReadTcpTable(std::vector<TcpRow>& rows, std::string& error) const = 0;
    // The local endpoints of the UDP sockets, sorted.
    virtual bool ReadUdpTable(std::vector<Endpoint>& rows, std::string& error) const = 0;
};

} // namespace platform
