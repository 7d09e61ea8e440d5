#pragma once

#include "platform/StopWaker.h"

#include <cstdint>
#include <string>

namespace platform {

struct ResolvedHost {
    enum class Status {
        Resolved, // address holds the host's first IPv4 address
        Failed,   // the name has no IPv4 address, or the lookup failed or timed out
        Stopped,  // a stop was requested during the lookup
    };
    Status status = Status::Failed;
    std::uint32_t address = 0; // network byte order
};

// Finds the IPv4 address of a host name, for what addresses IPv4 peers only.
class CHostLookup {
public:
    virtual ~CHostLookup() = default;

    // Looks up the first IPv4 address of host, a host name or dotted IPv4 address. The
    // lookup ends within a few seconds, and at once when waker's token is asked to stop.
    // Any thread may call it, several at once.
    virtual ResolvedHost ResolveIPv4(const std::string& host, const CStopWaker& waker) = 0;
};

// The system's lookup: /etc/hosts, then the DNS servers of resolv.conf (CSystemHostLookup).
CHostLookup& SystemHostLookup();

} // namespace platform
