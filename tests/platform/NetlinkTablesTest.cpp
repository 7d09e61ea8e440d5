#include "platform/NetlinkTables.h"

#include "tests/support/NetworkNamespace.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <net/if.h>

#include <algorithm>
#include <ostream>

namespace platform {

void PrintTo(const RouteEntry& route, std::ostream* out) {
    *out << "route " << std::hex << ntohl(route.destination) << std::dec << "/"
         << int{route.prefixLength} << " via " << std::hex << ntohl(route.gateway) << std::dec
         << " if " << route.interfaceIndex << " type " << int{route.type} << " proto "
         << int{route.protocol} << " metric " << route.metric;
}

void PrintTo(const NeighbourEntry& neighbour, std::ostream* out) {
    *out << "neighbour " << std::hex << ntohl(neighbour.address) << std::dec << " if "
         << neighbour.interfaceIndex << " hw length " << neighbour.hardwareLength << " state "
         << neighbour.state;
}

} // namespace platform

namespace {

using platform::NeighbourEntry;
using platform::RouteEntry;

std::uint32_t Ipv4(const char* text) {
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, text, &address), 1) << text;
    return address.s_addr;
}

TEST(NetlinkTables, TheMainTableOfThisMachineLeavesTheLocalTableOut) {
    std::vector<RouteEntry> routes;
    std::string error;
    ASSERT_TRUE(platform::ReadRoutes(routes, error)) << error;
    // 127.0.0.1 is a route of the local table only.
    const bool hasLoopbackRoute = std::any_of(routes.begin(), routes.end(), [](const auto& route) {
        return route.type == RTN_LOCAL || route.destination == Ipv4("127.0.0.1");
    });
    EXPECT_FALSE(hasLoopbackRoute);
    EXPECT_TRUE(error.empty());
}

TEST(NetlinkTables, TheNeighboursOfThisMachineHaveInterfacesAndEthernetAddresses) {
    std::vector<NeighbourEntry> neighbours;
    std::string error;
    ASSERT_TRUE(platform::ReadNeighbours(neighbours, error)) << error;
    for (const NeighbourEntry& neighbour : neighbours) {
        // The kernel keeps a NOARP entry for 0.0.0.0 on lo, so any address may show.
        EXPECT_GT(neighbour.interfaceIndex, 0);
        EXPECT_TRUE(neighbour.hardwareLength == 0 || neighbour.hardwareLength == 6)
            << neighbour.hardwareLength;
    }
}

// A namespace with one veth pair, its address 10.9.0.1/24 on v0, and the tables the test
// fills itself.
class NetlinkTablesInNamespace : public testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (!testsupport::CNetworkNamespace::CanCreate(reason)) {
            GTEST_SKIP() << reason;
        }
        m_namespace.emplace("netlink");
        ASSERT_TRUE(m_namespace->Ip({"link", "add", "v0", "type", "veth", "peer", "name", "v1"}));
        ASSERT_TRUE(m_namespace->Ip({"link", "set", "v0", "up"}));
        ASSERT_TRUE(m_namespace->Ip({"link", "set", "v1", "up"}));
        ASSERT_TRUE(m_namespace->Ip({"addr", "add", "10.9.0.1/24", "dev", "v0"}));
    }

    std::optional<testsupport::CNetworkNamespace> m_namespace;
};

TEST_F(NetlinkTablesInNamespace, RoutesComeWithGatewayTypeProtocolAndMetric) {
    ASSERT_TRUE(m_namespace->Ip({"route", "add", "default", "via", "10.9.0.2", "dev", "v0"}));
    ASSERT_TRUE(m_namespace->Ip(
        {"route", "add", "10.8.0.0/16", "via", "10.9.0.3", "proto", "static", "metric", "50"}));
    ASSERT_TRUE(m_namespace->Ip({"route", "add", "unreachable", "10.6.0.0/16"}));
    m_namespace->RunInside([] {
        const int v0 = static_cast<int>(if_nametoindex("v0"));
        ASSERT_GT(v0, 0);
        const std::vector<RouteEntry> expected = {
            {Ipv4("0.0.0.0"), 0, Ipv4("10.9.0.2"), v0, RTN_UNICAST, RTPROT_BOOT, 0},
            {Ipv4("10.6.0.0"), 16, 0, 0, RTN_UNREACHABLE, RTPROT_BOOT, 0},
            {Ipv4("10.8.0.0"), 16, Ipv4("10.9.0.3"), v0, RTN_UNICAST, RTPROT_STATIC, 50},
            {Ipv4("10.9.0.0"), 24, 0, v0, RTN_UNICAST, RTPROT_KERNEL, 0},
        };
        std::vector<RouteEntry> routes;
        std::string error;
        ASSERT_TRUE(platform::ReadRoutes(routes, error)) << error;
        EXPECT_EQ(routes, expected);
    });
}

TEST_F(NetlinkTablesInNamespace, NeighboursComeWithHardwareAddressAndState) {
    ASSERT_TRUE(m_namespace->Ip({"neigh", "add", "10.9.0.7", "lladdr", "02:00:00:00:00:07", "dev",
                                 "v0", "nud", "permanent"}));
    ASSERT_TRUE(m_namespace->Ip(
        {"neigh", "add", "10.9.0.8", "lladdr", "02:00:00:00:00:08", "dev", "v0", "nud", "stale"}));
    ASSERT_TRUE(m_namespace->Ip({"neigh", "add", "10.9.0.9", "dev", "v0", "nud", "failed"}));
    m_namespace->RunInside([] {
        const int v0 = static_cast<int>(if_nametoindex("v0"));
        ASSERT_GT(v0, 0);
        const std::vector<NeighbourEntry> expected = {
            {v0, {0x02, 0, 0, 0, 0, 0x07}, 6, Ipv4("10.9.0.7"), NUD_PERMANENT},
            {v0, {0x02, 0, 0, 0, 0, 0x08}, 6, Ipv4("10.9.0.8"), NUD_STALE},
            {v0, {}, 0, Ipv4("10.9.0.9"), NUD_FAILED},
        };
        std::vector<NeighbourEntry> neighbours;
        std::string error;
        ASSERT_TRUE(platform::ReadNeighbours(neighbours, error)) << error;
        // The kernel lists neighbours in the order of its hash table.
        std::sort(neighbours.begin(), neighbours.end(), [](const auto& left, const auto& right) {
            return ntohl(left.address) < ntohl(right.address);
        });
        EXPECT_EQ(neighbours, expected);
    });
}

struct TypeCase {
    std::uint16_t state;
    int type;
};

class NeighbourType : public testing::TestWithParam<TypeCase> {};

TEST_P(NeighbourType, FollowsTheArpTableTypes) {
    EXPECT_EQ(platform::NeighbourType(GetParam().state), GetParam().type)
        << "state " << GetParam().state;
}

INSTANTIATE_TEST_SUITE_P(States, NeighbourType,
                         testing::Values(TypeCase{NUD_PERMANENT, 4}, TypeCase{NUD_NOARP, 4},
                                         TypeCase{NUD_FAILED, 2}, TypeCase{NUD_INCOMPLETE, 2},
                                         TypeCase{NUD_REACHABLE, 3}, TypeCase{NUD_STALE, 3},
                                         TypeCase{NUD_DELAY, 3}, TypeCase{NUD_PROBE, 3},
                                         TypeCase{NUD_NONE, 1}));

} // namespace
