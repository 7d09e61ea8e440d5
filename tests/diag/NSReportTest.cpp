#include "diag/NSReport.h"

#include "platform/FixedNetworkState.h"
#include "platform/ScriptedMessageBox.h"
#include "tests/support/StandIn.h"
#include "tests/support/TempFolder.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <ostream>
#include <thread>

namespace {

using platform::CFixedNetworkState;
using Query = platform::CFixedNetworkState::Query;
using testsupport::CTempFolder;

std::uint32_t Ipv4(const char* text) {
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, text, &address), 1) << text;
    return address.s_addr;
}

platform::HardwareAddress Mac(std::initializer_list<std::uint8_t> bytes) {
    platform::HardwareAddress address;
    std::copy(bytes.begin(), bytes.end(), address.bytes.begin());
    address.length = bytes.size();
    return address;
}

// A small machine: an Ethernet adapter by DHCP on a 10 Gbit/s link, a tunnel without a
// hardware address whose type the table does not know, and a wireless adapter whose record
// cannot be read.
CFixedNetworkState FixtureMachine() {
    CFixedNetworkState machine;
    machine.common = {"lab-pc", "campus.example", {"10.0.0.53", "10.0.0.54"}};
    machine.adapters = {
        {2, "eth0", "e1000e", Mac({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}), "10.1.2.3",
         "255.255.255.0", "10.1.2.1", true, "10.1.2.254"},
        {5, "tun0", "tun", {}, "10.8.0.2", "255.255.255.255", "", false, ""},
        {7, "wlan0", "iwlwifi", Mac({0x02, 0, 0, 0, 0, 0x07}), "", "", "", false, ""},
    };
    platform::InterfaceRecord ethernet;
    ethernet.index = 2;
    ethernet.type = 6;
    ethernet.mtu = 1500;
    ethernet.speed = 10000000000ULL;
    ethernet.received = {5000000000ULL, 900, 100, 3, 1};
    ethernet.sent = {200000, 800, std::nullopt, 0, 2};
    ethernet.unknownProtocols = 4;
    platform::InterfaceRecord tunnel;
    tunnel.index = 5;
    tunnel.type = 243;
    tunnel.mtu = 1420;
    tunnel.received = {10, 1, 0, 0, 0};
    tunnel.sent = {20, 2, std::nullopt, 0, 0};
    machine.interfaces = {{2, ethernet}, {5, tunnel}};
    machine.arp = {
        {Ipv4("10.1.2.1"), Mac({0x00, 0x0C, 0x29, 0xAB, 0xCD, 0xEF}), 3},
        {Ipv4("10.1.2.9"), {}, 2},
        {Ipv4("10.1.2.10"), Mac({0x00, 0x0C, 0x29, 0x00, 0x00, 0x10}), 4},
    };
    machine.interfaceList = {{1, "lo"}, {2, "e1000e"}, {5, "tun"}, {7, "iwlwifi"}};
    machine.routes = {
        {0, 0, Ipv4("10.1.2.1"), 2, 4, 3},
        {Ipv4("10.1.2.0"), Ipv4("255.255.255.0"), 0, 2, 3, 2},
        {Ipv4("10.8.0.0"), Ipv4("255.255.0.0"), Ipv4("10.8.0.1"), 5, 4, 0},
    };
    machine.tcp = {
        {{0, 22}, {0, 0}, 2},
        {{Ipv4("10.1.2.3"), 51000}, {Ipv4("255.255.255.255"), 65535}, 5},
    };
    machine.udp = {{0, 68}, {Ipv4("127.0.0.1"), 323}};
    return machine;
}

constexpr std::string_view kTitleAndTime = "//////////////////////////////////////////////\n"
                                           "//  这是由VORNClient生成的网络配置状态报告  //\n"
                                           "//////////////////////////////////////////////\n\n"
                                           "报告时间:\t2008年9月1日 8时5分3秒\n\n";

constexpr std::string_view kCommon = "一、公共配置信息\n"
                                     "主机名:\t\tlab-pc\n"
                                     "域名:\t\tcampus.example\n"
                                     "域名服务器:\n"
                                     "\t\t10.0.0.53\n"
                                     "\t\t10.0.0.54\n"
                                     "\n";

constexpr std::string_view kInterfaces = "二、接口配置\n"
                                         "\t接口1\n"
                                         "\t\t标识: \teth0\n"
                                         "\t\t描述: \te1000e\n"
                                         "\t\tMAC地址: \t00-1A-2B-3C-4D-5E\n"
                                         "\t\tIP地址: \t10.1.2.3\n"
                                         "\t\t子网掩码: \t255.255.255.0\n"
                                         "\t\t网关Gateway: \t10.1.2.1\n"
                                         "\t\t动态分配IP地址\n"
                                         "\t\tDHCP服务器: \t10.1.2.254\n"
                                         "\t\t接口号:\t2\n"
                                         "\t\t接口类型:\t以太网\n"
                                         "\t\tMTU:\t1500\n"
                                         "\t\t传输速率:\t10000000000bps\n"
                                         "\t\t传输统计:\n"
                                         "\t\t================================\n"
                                         "\t\t\t\t收到\t\t发出\n"
                                         "\t\t字节\t\t5000000000\t\t200000\n"
                                         "\t\t单播分组\t900\t\t800\n"
                                         "\t\t非单播分组\t100\t\t\n"
                                         "\t\t丢弃\t\t3\t\t0\n"
                                         "\t\t出错\t\t1\t\t2\n"
                                         "\t\t未知协议\t4\n"
                                         "\t\t================================\n"
                                         "\t接口2\n"
                                         "\t\t标识: \ttun0\n"
                                         "\t\t描述: \ttun\n"
                                         "\t\tMAC地址: \t\t\tIP地址: \t10.8.0.2\n"
                                         "\t\t子网掩码: \t255.255.255.255\n"
                                         "\t\t网关Gateway: \t\n"
                                         "\t\t静态IP地址\n"
                                         "\t\t接口号:\t5\n"
                                         "\t\t接口类型:\t\t\tMTU:\t1420\n"
                                         "\t\t传输速率:\t\n"
                                         "\t\t传输统计:\n"
                                         "\t\t================================\n"
                                         "\t\t\t\t收到\t\t发出\n"
                                         "\t\t字节\t\t10\t\t20\n"
                                         "\t\t单播分组\t1\t\t2\n"
                                         "\t\t非单播分组\t0\t\t\n"
                                         "\t\t丢弃\t\t0\t\t0\n"
                                         "\t\t出错\t\t0\t\t0\n"
                                         "\t\t未知协议\t\n"
                                         "\t\t================================\n"
                                         "\t接口3\n"
                                         "\t\t标识: \twlan0\n"
                                         "\t\t描述: \tiwlwifi\n"
                                         "\t\tMAC地址: \t02-00-00-00-00-07\n"
                                         "\t\tIP地址: \t\n"
                                         "\t\t子网掩码: \t\n"
                                         "\t\t网关Gateway: \t\n"
                                         "\t\t静态IP地址\n"
                                         "\n";

constexpr std::string_view kArp = "三、ARP表\n"
                                  "\tIP地址:MAC地址:类型\n"
                                  "\t10.1.2.1:00-0C-29-AB-CD-EF:动态\n"
                                  "\t10.1.2.9:无效\n"
                                  "\t10.1.2.10:00-0C-29-00-00-10:静态\n"
                                  "\n";

constexpr std::string_view kInterfaceList = "四、接口列表\n"
                                            "\t接口标识\t接口名\n"
                                            "\t1\tlo\n"
                                            "\t2\te1000e\n"
                                            "\t5\ttun\n"
                                            "\t7\tiwlwifi\n"
                                            "\n\n";

constexpr std::string_view kRoutes =
    "五、路由表\n"
    "\t目标地址\t子网掩码\t下一跳\t\t转发接口\t路由类型\t路由协议\n"
    "\t缺省路由\t\t\t10.1.2.1\t2\t间接路由\t网管静态路由\n"
    "\t10.1.2.0\t255.255.255.0\t0.0.0.0\t2\t直接路由\t本地接口\n"
    "\t10.8.0.0\t255.255.0.0\t10.8.0.1\t5\t间接路由\n"
    "\n";

constexpr std::string_view kDirectProxy = "六、IE代理设置\n"
                                          "\t没有使用代理\n"
                                          "\n";

constexpr std::string_view kPortHeading = "七、网络端口状态\n"
                                          "\t本地地址\t\t远程地址\t\t状态\n";

constexpr std::string_view kTcpRows =
    "TCP\t0.0.0.0:22              0.0.0.0:0               LISTEN\n"
    "TCP\t10.1.2.3:51000          255.255.255.255:65535   "
    "ESTABLISHED\n";

constexpr std::string_view kUdpRows = "UDP\t0.0.0.0:68              *:*\n"
                                      "UDP\t127.0.0.1:323           *:*\n"
                                      "\n";

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view part : parts) {
        text += part;
    }
    return text;
}

std::string WholeFixtureReport() {
    return Joined({kTitleAndTime, kCommon, kInterfaces, kArp, kInterfaceList, kRoutes, kDirectProxy,
                   kPortHeading, kTcpRows, kUdpRows});
}

platform::LocalTime FixedTime() {
    return {2008, 9, 1, 8, 5, 3};
}

// A report of a machine into a fresh folder, with the opened reports and shown boxes
// recorded.
struct ReportRun {
    CTempFolder folder;
    platform::CScriptedMessageBox messageBox;
    std::vector<std::filesystem::path> opened;

    int Run(const platform::CNetworkState& machine) {
        diag::CNSReport report(
            machine, messageBox, folder.Path(),
            [this](const std::filesystem::path& path) { opened.push_back(path); }, FixedTime);
        return report.Report();
    }

    std::string File() const { return testsupport::ReadBytes(folder / "nsr.txt"); }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : messageBox.ShownBoxes()) {
            EXPECT_EQ(shown.kind, platform::CScriptedMessageBox::Kind::Inform);
            texts.push_back(shown.text);
        }
        return texts;
    }
};

TEST(NSReport, WritesTheFixtureMachineExactlyAndOpensIt) {
    ReportRun run;
    ASSERT_EQ(run.Run(FixtureMachine()), 0);
    EXPECT_EQ(run.File(), WholeFixtureReport());
    EXPECT_TRUE(run.Messages().empty());
    ASSERT_EQ(run.opened.size(), 1u);
    EXPECT_EQ(run.opened[0], run.folder / "nsr.txt");
}

TEST(NSReport, ASecondRunReplacesTheFirst) {
    ReportRun run;
    ASSERT_EQ(run.Run(FixtureMachine()), 0);
    CFixedNetworkState smaller = FixtureMachine();
    smaller.adapters.clear();
    smaller.tcp.clear();
    smaller.udp.clear();
    ASSERT_EQ(run.Run(smaller), 0);
    EXPECT_EQ(run.File(), Joined({kTitleAndTime, kCommon, "二、接口配置\n\n", kArp, kInterfaceList,
                                  kRoutes, kDirectProxy, kPortHeading, "\n"}));
    EXPECT_EQ(run.opened.size(), 2u);
}

struct ProxyCase {
    platform::ProxySetting setting;
    std::string_view section;
};

void PrintTo(const ProxyCase& proxy, std::ostream* out) {
    *out << "access type " << proxy.setting.accessType;
}

class NSReportProxy : public testing::TestWithParam<ProxyCase> {};

TEST_P(NSReportProxy, WritesTheAccessTypeItKnows) {
    CFixedNetworkState machine = FixtureMachine();
    machine.proxy = GetParam().setting;
    ReportRun run;
    ASSERT_EQ(run.Run(machine), 0);
    EXPECT_EQ(run.File(), Joined({kTitleAndTime, kCommon, kInterfaces, kArp, kInterfaceList,
                                  kRoutes, GetParam().section, kPortHeading, kTcpRows, kUdpRows}));
}

INSTANTIATE_TEST_SUITE_P(
    AccessTypes, NSReportProxy,
    testing::Values(ProxyCase{{1, "", ""}, kDirectProxy},
                    ProxyCase{{3, "http=proxy.campus:3128", "localhost,.campus"},
                              "六、IE代理设置\n"
                              "\t使用代理访问\n"
                              "\t代理服务器:\thttp=proxy.campus:3128\n"
                              "\t访问下列地址时不用代理服务器:\tlocalhost,.campus\n"
                              "\n"},
                    ProxyCase{{2, "ignored", "ignored"}, "六、IE代理设置\n\n"}));

struct FailureCase {
    Query query;
    const char* message;
    std::string expected; // the whole file
};

void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.message;
}

class NSReportFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(NSReportFailure, SaysWhichPartFailedAndWritesTheRest) {
    CFixedNetworkState machine = FixtureMachine();
    machine.failing.insert(GetParam().query);
    ReportRun run;
    ASSERT_EQ(run.Run(machine), 0);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{GetParam().message});
    EXPECT_EQ(run.File(), GetParam().expected);
    EXPECT_EQ(run.opened.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, NSReportFailure,
    testing::Values(FailureCase{Query::CommonConfig, "Fail to Report Common Configuration",
                                Joined({kTitleAndTime, kInterfaces, kArp, kInterfaceList, kRoutes,
                                        kDirectProxy, kPortHeading, kTcpRows, kUdpRows})},
                    FailureCase{Query::Adapters, "Fail to Report Interfaces",
                                Joined({kTitleAndTime, kCommon, kArp, kInterfaceList, kRoutes,
                                        kDirectProxy, kPortHeading, kTcpRows, kUdpRows})},
                    FailureCase{Query::ArpTable, "Fail to Report ARP Table",
                                Joined({kTitleAndTime, kCommon, kInterfaces, kInterfaceList,
                                        kRoutes, kDirectProxy, kPortHeading, kTcpRows, kUdpRows})},
                    FailureCase{Query::InterfaceList, "Fail to REport Interface list",
                                Joined({kTitleAndTime, kCommon, kInterfaces, kArp, kRoutes,
                                        kDirectProxy, kPortHeading, kTcpRows, kUdpRows})},
                    FailureCase{Query::RouteTable, "Fail to Report Route Table",
                                Joined({kTitleAndTime, kCommon, kInterfaces, kArp, kInterfaceList,
                                        kDirectProxy, kPortHeading, kTcpRows, kUdpRows})},
                    FailureCase{Query::ProxySetting, "Fail to REport Proxy configuration",
                                Joined({kTitleAndTime, kCommon, kInterfaces, kArp, kInterfaceList,
                                        kRoutes, kPortHeading, kTcpRows, kUdpRows})},
                    FailureCase{Query::TcpTable, "Fail to REport netstat -an",
                                Joined({kTitleAndTime, kCommon, kInterfaces, kArp, kInterfaceList,
                                        kRoutes, kDirectProxy, kPortHeading})},
                    FailureCase{Query::UdpTable, "Fail to REport netstat -an",
                                Joined({kTitleAndTime, kCommon, kInterfaces, kArp, kInterfaceList,
                                        kRoutes, kDirectProxy, kPortHeading, kTcpRows})}));

TEST(NSReport, AnInterfaceRecordThatCannotBeReadLeavesOnlyItsRecordOut) {
    CFixedNetworkState machine = FixtureMachine();
    machine.failing.insert(Query::Interface);
    ReportRun run;
    ASSERT_EQ(run.Run(machine), 0);
    const std::string file = run.File();
    EXPECT_EQ(file.find("接口号"), std::string::npos);
    EXPECT_NE(file.find("\t\tDHCP服务器: \t10.1.2.254\n\t接口2\n"), std::string::npos);
    EXPECT_TRUE(run.Messages().empty());
}

TEST(NSReport, AReportFileThatCannotBeOpenedIsSaidAndNotOpened) {
    ReportRun run;
    const CFixedNetworkState machine = FixtureMachine();
    diag::CNSReport report(
        machine, run.messageBox, run.folder / "missing-folder",
        [&run](const std::filesystem::path& path) { run.opened.push_back(path); }, FixedTime);
    EXPECT_EQ(report.Report(), -1);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{"Fail to open report file"});
    EXPECT_TRUE(run.opened.empty());
}

TEST(NSReport, TheDesktopOpenerHandsTheReportToXdgOpen) {
    const CTempFolder tools;
    testsupport::WriteStandIn(tools, "xdg-open", "xdg-open.args");
    const testsupport::CPathForTest path(tools.Path().string());
    ReportRun run;
    const CFixedNetworkState machine = FixtureMachine();
    diag::CNSReport report(machine, run.messageBox, run.folder.Path(),
                           diag::CNSReport::TextEditor(run.messageBox), FixedTime);
    ASSERT_EQ(report.Report(), 0);
    EXPECT_EQ(testsupport::ReadWhenWritten(tools / "xdg-open.args"),
              (run.folder / "nsr.txt").string() + "\n");
    EXPECT_TRUE(run.Messages().empty());
}

TEST(NSReport, TheDesktopOpenerSaysWhenNoEditorCanBeStarted) {
    const CTempFolder empty;
    const testsupport::CPathForTest path(empty.Path().string());
    ReportRun run;
    const CFixedNetworkState machine = FixtureMachine();
    diag::CNSReport report(machine, run.messageBox, run.folder.Path(),
                           diag::CNSReport::TextEditor(run.messageBox), FixedTime);
    ASSERT_EQ(report.Report(), 0);
    EXPECT_EQ(run.Messages(),
              std::vector<std::string>{"Fail to open the report in a text editor: xdg-open is not "
                                       "installed"});
}

TEST(NSReport, ReportsOfOneObjectFromTwoThreadsEachWriteTheWholeFile) {
    const CFixedNetworkState machine = FixtureMachine();
    CTempFolder folder;
    platform::CScriptedMessageBox messageBox;
    diag::CNSReport report(machine, messageBox, folder.Path(), {}, FixedTime);
    int first = -1;
    int second = -1;
    std::thread other([&] { first = report.Report(); });
    second = report.Report();
    other.join();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(testsupport::ReadBytes(folder / "nsr.txt"), WholeFixtureReport());
}

} // namespace
