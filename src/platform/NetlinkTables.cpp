#include "platform/NetlinkTables.h"

#include "platform/NetlinkDump.h"

#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <netlink/addr.h>
#include <netlink/route/neighbour.h>
#include <netlink/route/nexthop.h>
#include <netlink/route/route.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr std::size_t kIpv4Length = 4;

// An IPv4 address of a parsed object: 0 when it has none (a default route's destination is
// an empty address); false when it holds something that is not an IPv4 address.
bool Ipv4Of(const nl_addr* address, std::uint32_t& value) {
    value = 0;
    if (address == nullptr || nl_addr_get_len(address) == 0) {
        return true;
    }
    if (nl_addr_get_family(address) != AF_INET || nl_addr_get_len(address) != kIpv4Length) {
        return false;
    }
    std::memcpy(&value, nl_addr_get_binary_addr(address), kIpv4Length);
    return true;
}

// What a conversion made of one parsed object.
enum class Conversion { Keep, Skip, Fail };

Conversion ToRouteEntry(rtnl_route* route, RouteEntry& entry, std::string& error) {
    if (rtnl_route_get_family(route) != AF_INET || rtnl_route_get_table(route) != RT_TABLE_MAIN) {
        return Conversion::Skip;
    }
    const nl_addr* destination = rtnl_route_get_dst(route);
    entry.prefixLength =
        destination == nullptr ? 0 : static_cast<std::uint8_t>(nl_addr_get_prefixlen(destination));
    entry.type = rtnl_route_get_type(route);
    entry.protocol = rtnl_route_get_protocol(route);
    entry.metric = rtnl_route_get_priority(route);
    if (!Ipv4Of(destination, entry.destination)) {
        error = "the kernel listed an IPv4 route whose destination is not IPv4";
        return Conversion::Fail;
    }
    if (rtnl_route_get_nnexthops(route) > 0) {
        rtnl_nexthop* hop = rtnl_route_nexthop_n(route, 0);
        if (hop == nullptr) {
            error = "the kernel listed a route whose next hop cannot be read";
            return Conversion::Fail;
        }
        entry.interfaceIndex = rtnl_route_nh_get_ifindex(hop);
        // A next hop through an IPv6 gateway (RTA_VIA) has no IPv4 gateway to show.
        if (!Ipv4Of(rtnl_route_nh_get_gateway(hop), entry.gateway)) {
            entry.gateway = 0;
        }
    }
    return Conversion::Keep;
}

Conversion ToNeighbourEntry(rtnl_neigh* neighbour, NeighbourEntry& entry, std::string& error) {
    if (rtnl_neigh_get_family(neighbour) != AF_INET) {
        return Conversion::Skip;
    }
    entry.interfaceIndex = rtnl_neigh_get_ifindex(neighbour);
    entry.state = static_cast<std::uint16_t>(rtnl_neigh_get_state(neighbour));
    if (!Ipv4Of(rtnl_neigh_get_dst(neighbour), entry.address)) {
        error = "the kernel listed an IPv4 neighbour whose address is not IPv4";
        return Conversion::Fail;
    }
    if (const nl_addr* link = rtnl_neigh_get_lladdr(neighbour); link != nullptr) {
        const std::size_t length = nl_addr_get_len(link);
        if (length > entry.hardwareAddress.size()) {
            error = "the kernel listed a neighbour whose hardware address is too long";
            return Conversion::Fail;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(nl_addr_get_binary_addr(link));
        std::copy_n(bytes, length, entry.hardwareAddress.begin());
        entry.hardwareLength = length;
    }
    return Conversion::Keep;
}

// Dumps one IPv4 table and converts each of its objects (a libnl type derived from
// nl_object) into an entry; all or nothing.
template <typename Object, typename Entry>
bool ReadTable(int messageType, Conversion (*convert)(Object*, Entry&, std::string&),
               std::vector<Entry>& entries, std::string& error) {
    std::vector<NetlinkObject> objects;
    if (!DumpRouteObjects(messageType, AF_INET, objects, error)) {
        return false;
    }
    std::vector<Entry> read;
    for (const NetlinkObject& object : objects) {
        Entry entry;
        switch (convert(reinterpret_cast<Object*>(object.get()), entry, error)) {
        case Conversion::Keep:
            read.push_back(entry);
            break;
        case Conversion::Skip:
            break;
        case Conversion::Fail:
            return false;
        }
    }
    entries = std::move(read);
    return true;
}

} // namespace

bool ReadRoutes(std::vector<RouteEntry>& routes, std::string& error) {
    return ReadTable(RTM_GETROUTE, &ToRouteEntry, routes, error);
}

bool ReadNeighbours(std::vector<NeighbourEntry>& neighbours, std::string& error) {
    return ReadTable(RTM_GETNEIGH, &ToNeighbourEntry, neighbours, error);
}

int NeighbourType(std::uint16_t state) {
    constexpr int kOther = 1;
    constexpr int kInvalid = 2;
    constexpr int kDynamic = 3;
    constexpr int kStatic = 4;
    if ((state & (NUD_PERMANENT | NUD_NOARP)) != 0) {
        return kStatic;
    }
    if ((state & (NUD_FAILED | NUD_INCOMPLETE)) != 0) {
        return kInvalid;
    }
    if ((state & (NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE)) != 0) {
        return kDynamic;
    }
    return kOther;
}

} // namespace platform
