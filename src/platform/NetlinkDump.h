#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct nl_addr;
struct nl_object;

namespace platform {

struct NetlinkObjectRelease {
    void operator()(nl_object* object) const;
};

// One object that libnl parsed from a kernel message, holding its own reference.
using NetlinkObject = std::unique_ptr<nl_object, NetlinkObjectRelease>;

// Dumps one rtnetlink table (messageType RTM_GETROUTE, RTM_GETNEIGH, RTM_GETLINK,
// RTM_GETADDR) of family through a socket of the calling thread's network namespace, and
// answers the objects libnl parses from it, in the order the kernel sent them. A dump that
// the kernel reports as interrupted by a change is run again, a few times at most. On false
// objects is untouched and error holds a one-line English reason. Safe to call from any
// thread.
bool DumpRouteObjects(int messageType, int family, std::vector<NetlinkObject>& objects,
                      std::string& error);

// What a conversion made of one parsed object.
enum class Conversion { Keep, Skip, Fail };

// Dumps one table and converts each of its objects (a libnl type derived from nl_object)
// into an entry; all or nothing, as DumpRouteObjects.
template <typename Object, typename Entry>
bool ReadTable(int messageType, int family, Conversion (*convert)(Object*, Entry&, std::string&),
               std::vector<Entry>& entries, std::string& error) {
    std::vector<NetlinkObject> objects;
    if (!DumpRouteObjects(messageType, family, objects, error)) {
        return false;
    }
    std::vector<Entry> read;
    for (const NetlinkObject& object : objects) {
        Entry entry;
        switch (convert(reinterpret_cast<Object*>(object.get()), entry, error)) {
        case Conversion::Keep:
            read.push_back(std::move(entry));
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

// The IPv4 address of a parsed object in network byte order: 0 when it has none (a
// default route's destination is an empty address); false when it holds something that is
// not an IPv4 address.
bool Ipv4Of(const nl_addr* address, std::uint32_t& value);

// The bytes of a hardware address; length 0 when there is none. False when it is longer
// than bytes can hold.
bool HardwareOf(const nl_addr* address, std::array<std::uint8_t, 8>& bytes, std::size_t& length);

} // namespace platform
