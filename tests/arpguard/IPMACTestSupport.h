#pragma once

#include "arpguard/IPMACCache.h"
#include "tests/support/GatewaydProcess.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Waits, bounded, until condition holds; a hung guard fails the test instead of hanging it.
bool Eventually(const std::function<bool()>& condition);

// The sentinel's pair as a list holds it.
inline constexpr const char* kSentinelMacText = "0000005e0001";

// An IP-MAC document of pairs of IP and MAC texts, led by the sentinel's pair when
// withSentinel.
std::string ListDocument(const std::vector<std::pair<std::string, std::string>>& pairs,
                         bool withSentinel = true);

// The real gatewayd serving the IP-MAC list from a file of the test's own, which the test
// changes or removes at will. gatewayd scrambles what the file holds.
class CListSite {
public:
    // bindAddress: where gatewayd listens.
    explicit CListSite(const std::string& bindAddress = "127.0.0.1");

    // The HTTP port; the test has failed when there is none.
    std::uint16_t Port() const { return m_port.value_or(0); }
    bool Ok() const { return m_port.has_value(); }

    void SetList(std::string_view text) const;
    void RemoveList() const;

private:
    testsupport::CTempFolder m_folder;
    testsupport::CGatewaydProcess m_gatewayd;
    std::optional<std::uint16_t> m_port;
};

} // namespace arpguardtest
