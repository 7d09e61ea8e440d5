#include "platform/LinuxNetworkState.h"

#include "platform/BinaryFile.h"
#include "platform/DhcpLeases.h"
#include "platform/Ipv4.h"
#include "platform/NetlinkInterfaces.h"
#include "platform/NetlinkTables.h"
#include "platform/ProxyEnvironment.h"
#include "platform/ReportCodes.h"
#include "platform/ResolverConfig.h"
#include "platform/SocketTables.h"
#include "platform/SysfsInterface.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <tuple>

namespace platform {
namespace {

constexpr const char* kResolverConfig = "/etc/resolv.conf";
constexpr std::size_t kMaxResolverBytes = std::size_t{64} << 10;

bool ReadResolverConfig(ResolverConfig& config, std::string& error) {
    std::string text;
    switch (ReadFileUpTo(kResolverConfig, kMaxResolverBytes, text)) {
    case ReadFileStatus::Ok:
        config = ParseResolverConfig(text);
        return true;
    case ReadFileStatus::CannotOpen:
        // Without the file the resolver asks the local host and knows no domain.
        if (errno == ENOENT) {
            config = {};
            return true;
        }
        break;
    default:
        break;
    }
    error = std::string("cannot read ") + kResolverConfig + ": " +
            std::generic_category().message(errno);
    return false;
}

// The first default route through each interface, in the kernel's order.
std::string GatewayOf(const std::vector<RouteEntry>& routes, int index) {
    for (const RouteEntry& route : routes) {
        if (route.prefixLength == 0 && route.interfaceIndex == index && route.gateway != 0) {
            return Ipv4Text(route.gateway);
        }
    }
    return {};
}

AdapterInfo AdapterOf(const LinkEntry& link, const std::vector<AddressEntry>& addresses,
                      const std::vector<RouteEntry>& routes) {
    AdapterInfo adapter;
    adapter.interfaceIndex = link.index;
    adapter.name = link.name;
    adapter.description = InterfaceDescription(kSysClassNet, link.name, link.kind);
    adapter.hardwareAddress = link.hardwareAddress;
    adapter.gateway = GatewayOf(routes, link.index);
    const auto first = std::find_if(addresses.begin(), addresses.end(), [&](const auto& entry) {
        return entry.interfaceIndex == link.index;
    });
    if (first != addresses.end()) {
        adapter.ipAddress = Ipv4Text(first->address);
        adapter.ipMask = Ipv4Text(MaskOf(first->prefixLength));
        adapter.dhcpEnabled = !first->permanent;
        if (adapter.dhcpEnabled) {
            adapter.dhcpServer = FindDhcpServer(link.index, link.name, adapter.ipAddress);
        }
    }
    return adapter;
}

auto AddressKey(std::uint32_t address) {
    return ntohl(address);
}

} // namespace

bool CLinuxNetworkState::ReadCommonConfig(CommonConfig& config, std::string& error) const {
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) != 0) {
        error = std::string("cannot read the host name: ") + std::generic_category().message(errno);
        return false;
    }
    ResolverConfig resolver;
    if (!ReadResolverConfig(resolver, error)) {
        return false;
    }
    CommonConfig read;
    read.hostName = host;
    read.domainName = resolver.domain;
    if (const std::size_t dot = read.hostName.find('.');
        read.domainName.empty() && dot != std::string::npos) {
        read.domainName = read.hostName.substr(dot + 1);
    }
    read.dnsServers = std::move(resolver.nameServers);
    config = std::move(read);
    return true;
}

bool CLinuxNetworkState::ReadAdapters(std::vector<AdapterInfo>& adapters,
                                      std::string& error) const {
    std::vector<LinkEntry> links;
    std::vector<AddressEntry> addresses;
    std::vector<RouteEntry> routes;
    if (!ReadLinks(links, error) || !ReadIpv4Addresses(addresses, error) ||
        !ReadRoutes(routes, error)) {
        return false;
    }
    std::vector<AdapterInfo> read;
    for (const LinkEntry& link : links) {
        if (link.arphrd != ARPHRD_LOOPBACK) {
            read.push_back(AdapterOf(link, addresses, routes));
        }
    }
    adapters = std::move(read);
    return true;
}

bool CLinuxNetworkState::ReadInterface(int index, InterfaceRecord& record,
                                       std::string& error) const {
    char name[IF_NAMESIZE] = {};
    if (if_indextoname(static_cast<unsigned>(index), name) == nullptr) {
        error = "no interface has index " + std::to_string(index) + ": " +
                std::generic_category().message(errno);
        return false;
    }
    return ReadSysfsInterface(kSysClassNet, name, index, record, error);
}

bool CLinuxNetworkState::ReadArpTable(std::vector<ArpRow>& rows, std::string& error) const {
    std::vector<NeighbourEntry> neighbours;
    if (!ReadNeighbours(neighbours, error)) {
        return false;
    }
    std::sort(neighbours.begin(), neighbours.end(), [](const auto& left, const auto& right) {
        return std::make_tuple(left.interfaceIndex, AddressKey(left.address)) <
               std::make_tuple(right.interfaceIndex, AddressKey(right.address));
    });
    std::vector<ArpRow> read;
    read.reserve(neighbours.size());
    for (const NeighbourEntry& neighbour : neighbours) {
        ArpRow row;
        row.address = neighbour.address;
        row.hardwareAddress.bytes = neighbour.hardwareAddress;
        row.hardwareAddress.length = neighbour.hardwareLength;
        row.type = NeighbourType(neighbour.state);
        read.push_back(row);
    }
    rows = std::move(read);
    return true;
}

bool CLinuxNetworkState::ReadInterfaceList(std::vector<InterfaceRow>& rows,
                                           std::string& error) const {
    std::vector<LinkEntry> links;
    if (!ReadLinks(links, error)) {
        return false;
    }
    std::sort(links.begin(), links.end(),
              [](const auto& left, const auto& right) { return left.index < right.index; });
    std::vector<InterfaceRow> read;
    read.reserve(links.size());
    for (const LinkEntry& link : links) {
        read.push_back({link.index, InterfaceDescription(kSysClassNet, link.name, link.kind)});
    }
    rows = std::move(read);
    return true;
}

bool CLinuxNetworkState::ReadRouteTable(std::vector<RouteRow>& rows, std::string& error) const {
    std::vector<RouteEntry> routes;
    if (!ReadRoutes(routes, error)) {
        return false;
    }
    std::vector<RouteRow> read;
    read.reserve(routes.size());
    for (const RouteEntry& route : routes) {
        read.push_back({route.destination, MaskOf(route.prefixLength), route.gateway,
                        route.interfaceIndex, ReportRouteType(route.type, route.gateway != 0),
                        ReportRouteProtocol(route.protocol)});
    }
    rows = std::move(read);
    return true;
}

bool CLinuxNetworkState::ReadProxySetting(ProxySetting& setting, std::string& /*error*/) const {
    // The program never changes its environment, so reading it races with nothing.
    setting = ProxyFromEnvironment(
        [](const char* name) { return std::getenv(name); }); // NOLINT(concurrency-mt-unsafe)
    return true;
}

bool CLinuxNetworkState::ReadTcpTable(std::vector<TcpRow>& rows, std::string& error) const {
    return ReadTcpSockets(rows, error);
}

bool CLinuxNetworkState::ReadUdpTable(std::vector<Endpoint>& rows, std::string& error) const {
    return ReadUdpSockets(rows, error);
}

} // namespace platform
