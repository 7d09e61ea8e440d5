#pragma once

#include "platform/HostLookup.h"

#include <atomic>
#include <cstdint>

namespace platform {

// A lookup for tests: the first failures lookups fail, as before the network is up; every
// later one answers address, whatever the name.
class CScriptedHostLookup final : public CHostLookup {
public:
    CScriptedHostLookup(int failures, std::uint32_t address)
        : m_failures(failures), m_address(address) {}

    ResolvedHost ResolveIPv4(const std::string& host, const CStopWaker& waker) override;

    int Lookups() const { return m_lookups; }

private:
    const int m_failures;
    const std::uint32_t m_address; // network byte order
    std::atomic<int> m_lookups{0};
};

} // namespace platform
