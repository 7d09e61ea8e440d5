#pragma once

#include <memory>
#include <string>
#include <vector>

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

} // namespace platform
