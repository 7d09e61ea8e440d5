#include "platform/DhcpLeases.h"
#include "platform/Ipv4.h"
#include "platform/ProxyEnvironment.h"
#include "platform/ReportCodes.h"
#include "platform/ResolverConfig.h"
#include "platform/SocketTables.h"
#include "platform/SysfsInterface.h"
#include "tests/support/TempFolder.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/if_arp.h>
#include <linux/rtnetlink.h>

#include <map>

namespace {

std::uint32_t Ipv4(const char* text) {
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, text, &address), 1) << text;
    return address.s_addr;
}

TEST(ResolverConfig, TakesNameServersInOrderAndTheLastDomainOrSearch) {
    const platform::ResolverConfig config =
        platform::ParseResolverConfig("# generated\n"
                                      "nameserver 10.0.0.53\n"
                                      "; nameserver 10.9.9.9\n"
                                      "domain old.example\n"
                                      "\tnameserver\t2001:db8::53  \n"
                                      "search campus.example other.example\n"
                                      "nameserver\n"
                                      "options edns0\n"
                                      "nameserver 10.0.0.54");
    EXPECT_EQ(config.nameServers,
              (std::vector<std::string>{"10.0.0.53", "2001:db8::53", "10.0.0.54"}));
    EXPECT_EQ(config.domain, "campus.example");
}

TEST(ResolverConfig, AnEmptyFileKnowsNothing) {
    const platform::ResolverConfig config = platform::ParseResolverConfig("");
    EXPECT_TRUE(config.nameServers.empty());
    EXPECT_TRUE(config.domain.empty());
}

struct ProxyCase {
    std::map<std::string, std::string> environment;
    int accessType;
    std::string proxy;
    std::string bypass;
};

class ProxyEnvironment : public testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyEnvironment, GivesTheProxyListWithoutCredentials) {
    const auto& environment = GetParam().environment;
    const platform::ProxySetting setting =
        platform::ProxyFromEnvironment([&environment](const char* name) -> const char* {
            const auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        });
    EXPECT_EQ(setting.accessType, GetParam().accessType);
    EXPECT_EQ(setting.proxy, GetParam().proxy);
    EXPECT_EQ(setting.bypass, GetParam().bypass);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, ProxyEnvironment,
    testing::Values(
        ProxyCase{{}, 1, "", ""}, ProxyCase{{{"http_proxy", ""}, {"no_proxy", "x"}}, 1, "", ""},
        ProxyCase{{{"http_proxy", "http://p:3128"}, {"https_proxy", "http://p:3128"}},
                  3,
                  "http://p:3128",
                  ""},
        ProxyCase{{{"http_proxy", "http://p:3128"}, {"no_proxy", "localhost,.campus"}},
                  3,
                  "http=http://p:3128",
                  "localhost,.campus"},
        ProxyCase{{{"HTTPS_PROXY", "http://user:secret@s:8080/"}, {"NO_PROXY", "10.0.0.0/8"}},
                  3,
                  "https=http://s:8080/",
                  "10.0.0.0/8"},
        ProxyCase{
            {{"http_proxy", "a:1"}, {"https_proxy", "me@b:2"}}, 3, "http=a:1;https=b:2", ""}));

TEST(ProxyEnvironment, KeepsAnAtSignInThePath) {
    EXPECT_EQ(platform::WithoutCredentials("http://p:1/x@y"), "http://p:1/x@y");
    EXPECT_EQ(platform::WithoutCredentials("http://u:p@w@p:1/x@y"), "http://p:1/x@y");
}

TEST(DhcpLeases, KeyValueLeaseNamesTheServerOfItsAddressOnly) {
    constexpr std::string_view kLease = "# This is private data. Do not parse.\n"
                                        "ADDRESS=192.168.1.23\n"
                                        "NETMASK=255.255.255.0\n"
                                        "SERVER_ADDRESS=192.168.1.1\n";
    EXPECT_EQ(platform::ServerFromKeyValueLease(kLease, "192.168.1.23"), "192.168.1.1");
    EXPECT_EQ(platform::ServerFromKeyValueLease(kLease, "192.168.1.24"), "");
}

TEST(DhcpLeases, DhclientLeasesTakeTheLastLeaseOfTheAddress) {
    constexpr std::string_view kLeases = "lease {\n"
                                         "  interface \"eth0\";\n"
                                         "  fixed-address 10.1.2.3;\n"
                                         "  option dhcp-server-identifier 10.1.2.250;\n"
                                         "}\n"
                                         "lease {\n"
                                         "  interface \"eth0\";\n"
                                         "  fixed-address 10.1.2.3;\n"
                                         "  option subnet-mask 255.255.255.0;\n"
                                         "  option dhcp-server-identifier 10.1.2.254;\n"
                                         "}\n"
                                         "lease {\n"
                                         "  fixed-address 10.9.9.9;\n"
                                         "  option dhcp-server-identifier 10.9.9.1;\n"
                                         "}\n";
    EXPECT_EQ(platform::ServerFromDhclientLeases(kLeases, "10.1.2.3"), "10.1.2.254");
    EXPECT_EQ(platform::ServerFromDhclientLeases(kLeases, "10.9.9.9"), "10.9.9.1");
    EXPECT_EQ(platform::ServerFromDhclientLeases(kLeases, "10.1.2.4"), "");
}

TEST(DhcpLeases, LooksAtTheFilesOfTheUsualClients) {
    const std::vector<platform::LeaseFile> files = platform::LeaseFilesOf(3, "eth0");
    ASSERT_GE(files.size(), 2u);
    EXPECT_EQ(files.front().path, "/run/systemd/netif/leases/3");
    EXPECT_FALSE(files.front().dhclient);
    EXPECT_EQ(files.back().path, "/var/lib/dhclient/dhclient-eth0.leases");
    EXPECT_TRUE(files.back().dhclient);
}

TEST(SocketTables, ParsesAddressesInMemoryOrderAndPortsInHostOrder) {
    constexpr std::string_view kTable =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid\n"
        "   0: 0100007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000  0\n"
        "   1: 0302010A:C350 FFFFFFFF:FFFF 01 00000000:00000000 00:00000000 00000000  0\n";
    std::vector<platform::SocketLine> lines;
    std::string error;
    ASSERT_TRUE(platform::ParseSocketTable(kTable, lines, error)) << error;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].local, (platform::Endpoint{Ipv4("127.0.0.1"), 8080}));
    EXPECT_EQ(lines[0].remote, (platform::Endpoint{0, 0}));
    EXPECT_EQ(lines[0].state, 10);
    EXPECT_EQ(lines[1].local, (platform::Endpoint{Ipv4("10.1.2.3"), 50000}));
    EXPECT_EQ(lines[1].remote, (platform::Endpoint{Ipv4("255.255.255.255"), 65535}));
    EXPECT_EQ(lines[1].state, 1);
}

TEST(SocketTables, RefusesALineItDoesNotUnderstand) {
    std::vector<platform::SocketLine> lines = {platform::SocketLine{}};
    std::string error;
    EXPECT_FALSE(
        platform::ParseSocketTable("heading\n   0: 0100007F 00000000:0000 0A\n", lines, error));
    EXPECT_NE(error.find("not understood"), std::string::npos);
    EXPECT_EQ(lines.size(), 1u);
}

TEST(Ipv4, MasksAndTexts) {
    EXPECT_EQ(platform::MaskOf(0), 0u);
    EXPECT_EQ(platform::MaskOf(24), Ipv4("255.255.255.0"));
    EXPECT_EQ(platform::MaskOf(17), Ipv4("255.255.128.0"));
    EXPECT_EQ(platform::MaskOf(32), Ipv4("255.255.255.255"));
    EXPECT_EQ(platform::Ipv4Text(Ipv4("10.1.2.3")), "10.1.2.3");
}

struct CodeCase {
    int (*map)(int);
    int linux;
    int report;
};

class ReportCodes : public testing::TestWithParam<CodeCase> {};

TEST_P(ReportCodes, MapLinuxOntoTheReportsTables) {
    EXPECT_EQ(GetParam().map(GetParam().linux), GetParam().report) << "code " << GetParam().linux;
}

int Wired(int arphrd) {
    return platform::ReportInterfaceType(static_cast<std::uint16_t>(arphrd), false);
}
int Wireless(int arphrd) {
    return platform::ReportInterfaceType(static_cast<std::uint16_t>(arphrd), true);
}
int Direct(int rtn) {
    return platform::ReportRouteType(static_cast<std::uint8_t>(rtn), false);
}
int ThroughGateway(int rtn) {
    return platform::ReportRouteType(static_cast<std::uint8_t>(rtn), true);
}
int Protocol(int rtprot) {
    return platform::ReportRouteProtocol(static_cast<std::uint8_t>(rtprot));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ReportCodes,
    testing::Values(
        CodeCase{Wired, ARPHRD_ETHER, 6}, CodeCase{Wireless, ARPHRD_ETHER, 71},
        CodeCase{Wired, ARPHRD_LOOPBACK, 24}, CodeCase{Wired, ARPHRD_PPP, 23},
        CodeCase{Wired, ARPHRD_NONE, 131}, CodeCase{Wired, ARPHRD_IPGRE, 131},
        CodeCase{Wired, ARPHRD_IEEE1394, 144}, CodeCase{Wired, ARPHRD_INFINIBAND, 0},
        CodeCase{ThroughGateway, RTN_UNICAST, 4}, CodeCase{Direct, RTN_UNICAST, 3},
        CodeCase{Direct, RTN_UNREACHABLE, 2}, CodeCase{Direct, RTN_BLACKHOLE, 2},
        CodeCase{Direct, RTN_NAT, 1}, CodeCase{Direct, 200, 0},
        CodeCase{Protocol, RTPROT_KERNEL, 2}, CodeCase{Protocol, RTPROT_BOOT, 3},
        CodeCase{Protocol, RTPROT_DHCP, 3}, CodeCase{Protocol, RTPROT_STATIC, 10006},
        CodeCase{Protocol, RTPROT_REDIRECT, 4}, CodeCase{Protocol, RTPROT_OSPF, 13},
        CodeCase{Protocol, RTPROT_BIRD, 1}, CodeCase{Protocol, 250, 0},
        CodeCase{platform::ReportTcpState, 10, 2}, CodeCase{platform::ReportTcpState, 1, 5},
        CodeCase{platform::ReportTcpState, 6, 11}, CodeCase{platform::ReportTcpState, 7, 1},
        CodeCase{platform::ReportTcpState, 12, 4}, CodeCase{platform::ReportTcpState, 99, 0}));

// A folder laid out like /sys/class/net with one interface.
class SysfsInterface : public testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path stats = m_root / "wlan0" / "statistics";
        std::filesystem::create_directories(stats);
        std::filesystem::create_directories(m_root / "wlan0" / "phy80211");
        m_root.Write("wlan0/ifindex", "3\n");
        m_root.Write("wlan0/type", "1\n");
        m_root.Write("wlan0/mtu", "1500\n");
        m_root.Write("wlan0/speed", "10000\n");
        m_root.Write("wlan0/ifalias", "\n");
        const std::map<std::string, std::string> counters = {
            {"rx_bytes", "5000000000"}, {"tx_bytes", "7"},   {"rx_packets", "100"},
            {"multicast", "30"},        {"tx_packets", "9"}, {"rx_dropped", "1"},
            {"tx_dropped", "2"},        {"rx_errors", "3"},  {"tx_errors", "4"}};
        for (const auto& [name, value] : counters) {
            m_root.Write("wlan0/statistics/" + name, value + "\n");
        }
    }

    testsupport::CTempFolder m_root;
};

TEST_F(SysfsInterface, ReadsTheRecordAndLeavesMissingCountersEmpty) {
    platform::InterfaceRecord record;
    std::string error;
    ASSERT_TRUE(platform::ReadSysfsInterface(m_root.Path(), "wlan0", 3, record, error)) << error;
    EXPECT_EQ(record.index, 3);
    EXPECT_EQ(record.type, 71);
    EXPECT_EQ(record.mtu, 1500u);
    EXPECT_EQ(record.speed, 10000000000ULL);
    EXPECT_EQ(record.received.octets, 5000000000ULL);
    EXPECT_EQ(record.received.unicastPackets, 70u);
    EXPECT_EQ(record.received.nonUnicastPackets, 30u);
    EXPECT_EQ(record.sent.unicastPackets, 9u);
    EXPECT_FALSE(record.sent.nonUnicastPackets.has_value());
    EXPECT_EQ(record.sent.errors, 4u);
    EXPECT_FALSE(record.unknownProtocols.has_value());
}

TEST_F(SysfsInterface, AnUnknownSpeedIsLeftEmpty) {
    m_root.Write("wlan0/speed", "-1\n");
    platform::InterfaceRecord record;
    std::string error;
    ASSERT_TRUE(platform::ReadSysfsInterface(m_root.Path(), "wlan0", 3, record, error)) << error;
    EXPECT_FALSE(record.speed.has_value());
}

TEST_F(SysfsInterface, RefusesAnInterfaceThatChangedItsIndexOrIsMissing) {
    platform::InterfaceRecord record;
    std::string error;
    EXPECT_FALSE(platform::ReadSysfsInterface(m_root.Path(), "wlan0", 4, record, error));
    EXPECT_NE(error.find("no longer"), std::string::npos);
    EXPECT_FALSE(platform::ReadSysfsInterface(m_root.Path(), "eth9", 4, record, error));
    EXPECT_EQ(record.index, 0);
}

TEST_F(SysfsInterface, DescribesByAliasThenKindThenName) {
    EXPECT_EQ(platform::InterfaceDescription(m_root.Path(), "wlan0", "veth"), "veth");
    EXPECT_EQ(platform::InterfaceDescription(m_root.Path(), "wlan0", ""), "wlan0");
    m_root.Write("wlan0/ifalias", "uplink\n");
    EXPECT_EQ(platform::InterfaceDescription(m_root.Path(), "wlan0", "veth"), "uplink");
}

} // namespace
