#pragma once

#include "platform/HostLookup.h"

#include <string>
#include <vector>

namespace platform {

// Lookups through CHostResolver, bounded to a few seconds each.
class CSystemHostLookup : public CHostLookup {
public:
    // nameServers: "address:port" entries asked instead of those of /etc/resolv.conf;
    // empty for the system's.
    explicit CSystemHostLookup(std::vector<std::string> nameServers = {})
        : m_nameServers(std::move(nameServers)) {}

    ResolvedHost ResolveIPv4(const std::string& host, const CStopWaker& waker) override;

private:
    const std::vector<std::string> m_nameServers;
};

} // namespace platform
