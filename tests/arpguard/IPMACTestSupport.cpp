#include "tests/arpguard/IPMACTestSupport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <map>

namespace arpguardtest {
namespace {

// Takes the pairs that CopyTo hands it, keyed by their IP text.
class CRecordingCache final : public arpguard::CIPMACCache {
public:
    int Load() override { return 0; }
    int Save() override { return 0; }
    int Set(std::uint32_t ip, std::span<const std::uint8_t> mac) override {
        m_pairs[FormatIP(ip)] = FormatMAC(mac);
        return 0;
    }
    const std::map<std::string, std::string>& Pairs() const { return m_pairs; }

private:
    std::map<std::string, std::string> m_pairs;
};

} // namespace

std::uint32_t Ip(const char* dotted) {
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, dotted, &address), 1) << dotted;
    return address.s_addr;
}

std::string Listing(const arpguard::CIPMACCache& cache) {
    CRecordingCache recording;
    EXPECT_EQ(cache.CopyTo(recording), 0);
    std::string listing;
    for (const auto& [ip, mac] : recording.Pairs()) {
        listing.append(listing.empty() ? "" : " ").append(ip).append("=").append(mac);
    }
    return listing;
}

} // namespace arpguardtest
