#include "platform/NetlinkTables.h"

#include "platform/NetlinkDump.h"

#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <netlink/addr.h>
#include <netlink/route/neighbour.h>
#include <netlink/route/nexthop.h>
#include <netlink/route/route.h>
#include <sys/socket.h>

namespace platform {
namespace {

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
    if (!HardwareOf(rtnl_neigh_get_lladdr(neighbour), entry.hardwareAddress,
                    entry.hardwareLength)) {
        error = "the kernel listed a neighbour whose hardware address is too long";
        return Conversion::Fail;
    }
    return Conversion::Keep;
}

} // namespace

bool ReadRoutes(std::vector<RouteEntry>& routes, std::string& error) {
    return ReadTable(RTM_GETROUTE, AF_INET, &ToRouteEntry, routes, error);
}

bool ReadNeighbours(std::vector<NeighbourEntry>& neighbours, std::string& error) {
    return ReadTable(RTM_GETNEIGH, AF_INET, &ToNeighbourEntry, neighbours, error);
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
