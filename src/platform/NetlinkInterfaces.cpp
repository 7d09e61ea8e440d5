#include "platform/NetlinkInterfaces.h"

#include "platform/NetlinkDump.h"

#include <linux/if_addr.h>
#include <linux/rtnetlink.h>
#include <netlink/addr.h>
#include <netlink/route/addr.h>
#include <netlink/route/link.h>
#include <sys/socket.h>

namespace platform {
namespace {

Conversion ToLinkEntry(rtnl_link* link, LinkEntry& entry, std::string& error) {
    entry.index = rtnl_link_get_ifindex(link);
    const char* name = rtnl_link_get_name(link);
    if (name == nullptr) {
        error = "the kernel listed an interface without a name";
        return Conversion::Fail;
    }
    entry.name = name;
    entry.arphrd = static_cast<std::uint16_t>(rtnl_link_get_arptype(link));
    if (const char* kind = rtnl_link_get_type(link); kind != nullptr) {
        entry.kind = kind;
    }
    if (!HardwareOf(rtnl_link_get_addr(link), entry.hardwareAddress.bytes,
                    entry.hardwareAddress.length)) {
        error = "the kernel listed an interface whose hardware address is too long";
        return Conversion::Fail;
    }
    return Conversion::Keep;
}

Conversion ToAddressEntry(rtnl_addr* address, AddressEntry& entry, std::string& error) {
    if (rtnl_addr_get_family(address) != AF_INET) {
        return Conversion::Skip;
    }
    entry.interfaceIndex = rtnl_addr_get_ifindex(address);
    entry.prefixLength = static_cast<std::uint8_t>(rtnl_addr_get_prefixlen(address));
    entry.permanent = (rtnl_addr_get_flags(address) & IFA_F_PERMANENT) != 0;
    if (!Ipv4Of(rtnl_addr_get_local(address), entry.address)) {
        error = "the kernel listed an IPv4 address that is not IPv4";
        return Conversion::Fail;
    }
    return Conversion::Keep;
}

} // namespace

bool ReadLinks(std::vector<LinkEntry>& links, std::string& error) {
    return ReadTable(RTM_GETLINK, AF_UNSPEC, &ToLinkEntry, links, error);
}

bool ReadIpv4Addresses(std::vector<AddressEntry>& addresses, std::string& error) {
    return ReadTable(RTM_GETADDR, AF_INET, &ToAddressEntry, addresses, error);
}

} // namespace platform
