#include "platform/SystemHostLookup.h"

#include "platform/HostResolver.h"

#include <arpa/inet.h>

#include <chrono>

namespace platform {
namespace {

// Two tries of one name server, so that a dead one costs seconds, not minutes.
constexpr std::chrono::seconds kLookupTimeout{4};

} // namespace

ResolvedHost CSystemHostLookup::ResolveIPv4(const std::string& host, const CStopWaker& waker) {
    const CHostResolver resolver(m_nameServers);
    std::vector<std::string> addresses;
    std::string error;
    const CHostResolver::Result result =
        resolver.Resolve(host, kLookupTimeout, addresses, error, &waker);
    if (result == CHostResolver::Result::Stopped) {
        return {ResolvedHost::Status::Stopped, 0};
    }
    ResolvedHost resolved;
    for (const std::string& address : addresses) {
        if (inet_pton(AF_INET, address.c_str(), &resolved.address) == 1) {
            resolved.status = ResolvedHost::Status::Resolved;
            break;
        }
    }
    return resolved;
}

CHostLookup& SystemHostLookup() {
    static CSystemHostLookup lookup;
    return lookup;
}

} // namespace platform
