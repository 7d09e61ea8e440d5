#pragma once

#include "platform/StopWaker.h"

#include <chrono>
#include <string>
#include <vector>

namespace platform {

// Looks host names up in /etc/hosts and the DNS (c-ares), bounded in time, so that a name
// server that never answers cannot hold a caller longer than its time-out. An object keeps
// no state between lookups; one thread at a time may use it.
class CHostResolver {
public:
    // nameServers: "address:port" entries asked instead of those of /etc/resolv.conf;
    // empty for the system's.
    explicit CHostResolver(std::vector<std::string> nameServers = {});

    enum class Result { Resolved, Failed, TimedOut, Stopped };

    // Answers the addresses of host as numeric texts ("192.0.2.1", "2001:db8::1"), in the
    // order to try them, or why there are none in error (English). A numeric host is
    // answered as it is. Gives up when timeout has passed, and at once with Stopped when
    // stop is given and its token is asked to stop.
    Result Resolve(const std::string& host, std::chrono::milliseconds timeout,
                   std::vector<std::string>& addresses, std::string& error,
                   const CStopWaker* stop = nullptr) const;

private:
    std::vector<std::string> m_nameServers;
};

} // namespace platform
