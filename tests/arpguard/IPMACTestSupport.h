#pragma once

#include "arpguard/IPMACCache.h"

#include <cstdint>
#include <string>

namespace arpguardtest {

// A cache without a backing store.
class CMemoryCache final : public arpguard::CIPMACCache {
public:
    int Load() override { return 0; }
    int Save() override { return 0; }
};

// The address in network byte order of a dotted IPv4 text; fails the test on anything else.
std::uint32_t Ip(const char* dotted);

// The pairs of cache as "ip=mac" texts in address order, separated by spaces.
std::string Listing(const arpguard::CIPMACCache& cache);

} // namespace arpguardtest
