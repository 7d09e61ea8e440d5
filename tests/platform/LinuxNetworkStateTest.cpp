#include "platform/LinuxNetworkState.h"

#include "tests/support/NetworkNamespace.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace {

std::uint32_t Ipv4(const char* text) {
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, text, &address), 1) << text;
    return address.s_addr;
}

// A namespace with two veth pairs: v0 holds an address with a lease's lifetime and the
// default route, w0 a permanent address.
class LinuxNetworkStateInNamespace : public testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (!testsupport::CNetworkNamespace::CanCreate(reason)) {
            GTEST_SKIP() << reason;
        }
        m_namespace.emplace("state");
        for (const char* pair : {"v", "w"}) {
            const std::string near = std::string(pair) + "0";
            const std::string far = std::string(pair) + "1";
            ASSERT_TRUE(
                m_namespace->Ip({"link", "add", near, "type", "veth", "peer", "name", far}));
            ASSERT_TRUE(m_namespace->Ip({"link", "set", near, "up"}));
            ASSERT_TRUE(m_namespace->Ip({"link", "set", far, "up"}));
        }
        ASSERT_TRUE(m_namespace->Ip({"link", "set", "lo", "up"}));
        ASSERT_TRUE(m_namespace->Ip({"addr", "add", "10.9.0.1/24", "dev", "v0", "valid_lft", "3600",
                                     "preferred_lft", "3600"}));
        ASSERT_TRUE(m_namespace->Ip({"addr", "add", "10.7.0.1/16", "dev", "w0"}));
        ASSERT_TRUE(m_namespace->Ip({"route", "add", "default", "via", "10.9.0.2"}));
        ASSERT_TRUE(m_namespace->Ip({"route", "add", "blackhole", "10.6.0.0/16"}));
    }

    std::optional<testsupport::CNetworkNamespace> m_namespace;
};

TEST_F(LinuxNetworkStateInNamespace, AdaptersShowAddressMaskGatewayAndHowTheyGotThem) {
    m_namespace->RunInside([] {
        std::vector<platform::AdapterInfo> adapters;
        std::string error;
        ASSERT_TRUE(platform::CLinuxNetworkState().ReadAdapters(adapters, error)) << error;
        // Loopback is no adapter; the veth ends come in the kernel's order.
        ASSERT_EQ(adapters.size(), 4u);
        const auto v0 = std::find_if(adapters.begin(), adapters.end(),
                                     [](const auto& adapter) { return adapter.name == "v0"; });
        const auto w0 = std::find_if(adapters.begin(), adapters.end(),
                                     [](const auto& adapter) { return adapter.name == "w0"; });
        ASSERT_NE(v0, adapters.end());
        ASSERT_NE(w0, adapters.end());
        EXPECT_EQ(v0->interfaceIndex, static_cast<int>(if_nametoindex("v0")));
        EXPECT_EQ(v0->description, "veth");
        EXPECT_EQ(v0->hardwareAddress.length, 6u);
        EXPECT_EQ(v0->ipAddress, "10.9.0.1");
        EXPECT_EQ(v0->ipMask, "255.255.255.0");
        EXPECT_EQ(v0->gateway, "10.9.0.2");
        EXPECT_TRUE(v0->dhcpEnabled);
        EXPECT_EQ(w0->ipAddress, "10.7.0.1");
        EXPECT_EQ(w0->ipMask, "255.255.0.0");
        EXPECT_EQ(w0->gateway, "");
        EXPECT_FALSE(w0->dhcpEnabled);
    });
}

TEST_F(LinuxNetworkStateInNamespace, RoutesComeWithTheReportsTypesAndProtocols) {
    m_namespace->RunInside([] {
        const int v0 = static_cast<int>(if_nametoindex("v0"));
        const int w0 = static_cast<int>(if_nametoindex("w0"));
        std::vector<platform::RouteRow> routes;
        std::string error;
        ASSERT_TRUE(platform::CLinuxNetworkState().ReadRouteTable(routes, error)) << error;
        ASSERT_EQ(routes.size(), 4u);
        const std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, int, int, int>>
            expected = {
                {0, 0, Ipv4("10.9.0.2"), v0, 4, 3},
                {Ipv4("10.6.0.0"), Ipv4("255.255.0.0"), 0, 0, 2, 3},
                {Ipv4("10.7.0.0"), Ipv4("255.255.0.0"), 0, w0, 3, 2},
                {Ipv4("10.9.0.0"), Ipv4("255.255.255.0"), 0, v0, 3, 2},
            };
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const platform::RouteRow& row = routes[i];
            EXPECT_EQ(std::make_tuple(row.destination, row.mask, row.nextHop, row.interfaceIndex,
                                      row.type, row.protocol),
                      expected[i])
                << "route " << i;
        }
    });
}

TEST_F(LinuxNetworkStateInNamespace, TheInterfaceListAndArpTableAreSorted) {
    ASSERT_TRUE(m_namespace->Ip(
        {"neigh", "add", "10.9.0.9", "lladdr", "02:00:00:00:00:09", "dev", "v0", "nud", "stale"}));
    ASSERT_TRUE(m_namespace->Ip({"neigh", "add", "10.9.0.8", "dev", "v0", "nud", "failed"}));
    ASSERT_TRUE(m_namespace->Ip({"neigh", "add", "10.7.0.5", "lladdr", "02:00:00:00:00:05", "dev",
                                 "w0", "nud", "permanent"}));
    m_namespace->RunInside([] {
        const platform::CLinuxNetworkState state;
        std::vector<platform::InterfaceRow> interfaces;
        std::string error;
        ASSERT_TRUE(state.ReadInterfaceList(interfaces, error)) << error;
        ASSERT_EQ(interfaces.size(), 5u);
        EXPECT_EQ(interfaces[0].index, 1);
        EXPECT_EQ(interfaces[0].description, "lo");
        EXPECT_TRUE(std::is_sorted(interfaces.begin(), interfaces.end(),
                                   [](const auto& a, const auto& b) { return a.index < b.index; }));

        std::vector<platform::ArpRow> arp;
        ASSERT_TRUE(state.ReadArpTable(arp, error)) << error;
        const bool vethFirst = if_nametoindex("v0") < if_nametoindex("w0");
        const std::vector<std::pair<std::uint32_t, int>> veth = {{Ipv4("10.9.0.8"), 2},
                                                                 {Ipv4("10.9.0.9"), 3}};
        const std::pair<std::uint32_t, int> other = {Ipv4("10.7.0.5"), 4};
        std::vector<std::pair<std::uint32_t, int>> expected = veth;
        expected.insert(vethFirst ? expected.end() : expected.begin(), other);
        std::vector<std::pair<std::uint32_t, int>> read;
        read.reserve(arp.size());
        for (const platform::ArpRow& row : arp) {
            read.emplace_back(row.address, row.type);
        }
        EXPECT_EQ(read, expected);
    });
}

TEST_F(LinuxNetworkStateInNamespace, SocketsAreThoseOfTheNamespace) {
    m_namespace->RunInside([] {
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int datagrams = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = Ipv4("10.7.0.1");
        address.sin_port = htons(4321);
        const auto* generic = reinterpret_cast<const sockaddr*>(&address);
        ASSERT_EQ(bind(listener, generic, sizeof address), 0);
        ASSERT_EQ(listen(listener, 1), 0);
        ASSERT_EQ(bind(datagrams, generic, sizeof address), 0);

        const platform::CLinuxNetworkState state;
        std::vector<platform::TcpRow> tcp;
        std::vector<platform::Endpoint> udp;
        std::string error;
        ASSERT_TRUE(state.ReadTcpTable(tcp, error)) << error;
        ASSERT_TRUE(state.ReadUdpTable(udp, error)) << error;
        close(listener);
        close(datagrams);
        ASSERT_EQ(tcp.size(), 1u);
        EXPECT_EQ(tcp[0].local, (platform::Endpoint{Ipv4("10.7.0.1"), 4321}));
        EXPECT_EQ(tcp[0].remote, (platform::Endpoint{0, 0}));
        EXPECT_EQ(tcp[0].state, 2);
        EXPECT_EQ(udp, (std::vector<platform::Endpoint>{{Ipv4("10.7.0.1"), 4321}}));
    });
}

} // namespace
