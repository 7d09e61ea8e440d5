#include "platform/NeighbourControl.h"

#include "tests/support/GatewayNetwork.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/neighbour.h>
#include <net/if.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace {

using testsupport::CGatewayNetwork;
using testsupport::GatewayLink;

constexpr const char* kGatewayMac = "02:00:5e:00:53:01";

std::uint32_t Ip(const std::string& dotted) {
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, dotted.c_str(), &address), 1) << dotted;
    return address.s_addr;
}

std::string MacText(const platform::NeighbourEntry& entry) {
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < entry.hardwareLength; ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ":%02x", entry.hardwareAddress[i]);
        text += byte;
    }
    return text;
}

platform::NeighbourEntry Entry(std::uint32_t address, int interfaceIndex,
                               std::initializer_list<std::uint8_t> mac) {
    platform::NeighbourEntry entry;
    entry.address = address;
    entry.interfaceIndex = interfaceIndex;
    std::copy(mac.begin(), mac.end(), entry.hardwareAddress.begin());
    entry.hardwareLength = mac.size();
    return entry;
}

// A link from the client to a gateway at 198.51.100.1; each test runs inside the client.
class NeighbourControl : public testing::Test {
protected:
    void SetUp() override {
        if (std::string reason; !testsupport::CNetworkNamespace::CanCreate(reason)) {
            GTEST_SKIP() << reason;
        }
        m_network.emplace();
        ASSERT_TRUE(m_network->AddLink("198.51.100.1", "198.51.100.2", kGatewayMac, m_link));
    }

    // Runs check inside the client with the index of its end of the link.
    void InsideClient(const std::function<void(int)>& check) const {
        m_network->Client().RunInside([&] {
            const int index = static_cast<int>(if_nametoindex(m_link.clientInterface.c_str()));
            ASSERT_GT(index, 0);
            check(index);
        });
    }

    std::optional<CGatewayNetwork> m_network;
    GatewayLink m_link;
};

TEST_F(NeighbourControl, ResolvesTheGatewaysHardwareAddressByAsking) {
    ASSERT_EQ(m_network->ClientNeighbour(m_link.gatewayAddress), "");
    InsideClient([&](int index) {
        platform::NeighbourEntry entry;
        std::string error;
        ASSERT_TRUE(platform::ResolveNeighbour(Ip(m_link.gatewayAddress), index, entry, error))
            << error;
        EXPECT_EQ(MacText(entry), kGatewayMac);
        EXPECT_EQ(entry.address, Ip(m_link.gatewayAddress));
        EXPECT_EQ(entry.interfaceIndex, index);
        EXPECT_EQ(entry.state, NUD_REACHABLE);
    });
}

TEST_F(NeighbourControl, AnAddressThatNobodyAnswersFails) {
    InsideClient([&](int index) {
        platform::NeighbourEntry entry;
        std::string error;
        EXPECT_FALSE(platform::ResolveNeighbour(Ip("198.51.100.77"), index, entry, error,
                                                std::chrono::milliseconds(500)));
        EXPECT_NE(error.find("no answer"), std::string::npos) << error;
    });
}

TEST_F(NeighbourControl, WritesReadsAndDeletesAPermanentEntry) {
    InsideClient([&](int index) {
        std::string error;
        const platform::NeighbourEntry pinned =
            Entry(Ip(m_link.gatewayAddress), index, {0x02, 0x00, 0x5e, 0x00, 0x53, 0x99});
        ASSERT_TRUE(platform::AddPermanentNeighbour(pinned, error)) << error;
        EXPECT_EQ(m_network->ClientNeighbour(m_link.gatewayAddress),
                  m_link.gatewayAddress + " dev " + m_link.clientInterface +
                      " lladdr 02:00:5e:00:53:99 PERMANENT");

        ASSERT_TRUE(platform::DeleteNeighbour(pinned, error)) << error;
        EXPECT_EQ(m_network->ClientNeighbour(m_link.gatewayAddress), "");
        EXPECT_TRUE(platform::DeleteNeighbour(pinned, error)) << error;
    });
}

TEST_F(NeighbourControl, APermanentEntryReplacesALearnedOne) {
    InsideClient([&](int index) {
        platform::NeighbourEntry learned;
        std::string error;
        ASSERT_TRUE(platform::ResolveNeighbour(Ip(m_link.gatewayAddress), index, learned, error))
            << error;
        ASSERT_TRUE(platform::AddPermanentNeighbour(learned, error)) << error;
        EXPECT_EQ(m_network->ClientNeighbour(m_link.gatewayAddress),
                  m_link.gatewayAddress + " dev " + m_link.clientInterface + " lladdr " +
                      kGatewayMac + " PERMANENT");
    });
}

TEST_F(NeighbourControl, APermanentEntryIsAskedAfresh) {
    InsideClient([&](int index) {
        std::string error;
        const platform::NeighbourEntry wrong =
            Entry(Ip(m_link.gatewayAddress), index, {0x02, 0x00, 0x5e, 0x00, 0x53, 0x99});
        ASSERT_TRUE(platform::AddPermanentNeighbour(wrong, error)) << error;
        platform::NeighbourEntry entry;
        ASSERT_TRUE(platform::ResolveNeighbour(wrong.address, index, entry, error)) << error;
        EXPECT_EQ(MacText(entry), kGatewayMac);
        EXPECT_EQ(entry.state, NUD_REACHABLE);
    });
}

TEST_F(NeighbourControl, NamesInterfacesByIndex) {
    InsideClient([&](int index) {
        EXPECT_EQ(platform::InterfaceName(index), m_link.clientInterface);
        EXPECT_EQ(platform::InterfaceName(999999), "999999");
    });
}

// The effective capabilities as the kernel reports them, read apart from libcap.
bool HoldsNetAdmin() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) == 0) {
            return ((std::stoull(line.substr(7), nullptr, 16) >> 12) & 1) != 0;
        }
    }
    ADD_FAILURE() << "no CapEff line in /proc/self/status";
    return false;
}

TEST(MayChangeNeighbourTable, FollowsTheEffectiveNetAdminCapability) {
    EXPECT_EQ(platform::MayChangeNeighbourTable(), HoldsNetAdmin());
}

} // namespace
