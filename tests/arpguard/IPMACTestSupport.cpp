#include "tests/arpguard/IPMACTestSupport.h"

#include "arpguard/RemoteIPMACCache.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

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

bool Eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string ListDocument(const std::vector<std::pair<std::string, std::string>>& pairs,
                         bool withSentinel) {
    std::string document = "<IP2MAC>";
    auto add = [&document](const std::string& ip, const std::string& mac) {
        document.append("<IPMAC ip=\"").append(ip).append("\" mac=\"").append(mac).append("\"/>");
    };
    if (withSentinel) {
        add(arpguard::CIPMACCache::FormatIP(arpguard::kIPMACSentinel), kSentinelMacText);
    }
    for (const auto& [ip, mac] : pairs) {
        add(ip, mac);
    }
    return document + "</IP2MAC>";
}

CListSite::CListSite(const std::string& bindAddress) : m_gatewayd(m_folder.Path()) {
    m_port = m_gatewayd.StartSite(m_folder.Path(), {"--bind", bindAddress, "--ipmac-file",
                                                    (m_folder / "ipmac.xml").string()});
    EXPECT_TRUE(m_port) << "gatewayd did not come up: " << m_gatewayd.Stderr();
}

void CListSite::SetList(std::string_view text) const {
    testsupport::WriteBytes(m_folder / "ipmac.xml", text);
}

void CListSite::RemoveList() const {
    std::filesystem::remove(m_folder / "ipmac.xml");
}

} // namespace arpguardtest
