#include "diag/NSReport.h"

#include "diag/ReportTables.h"
#include "platform/BinaryFile.h"
#include "platform/GbkCodec.h"
#include "platform/Ipv4.h"
#include "platform/Launch.h"

#include <array>
#include <cstdio>
#include <optional>
#include <utility>

namespace diag {
namespace {

constexpr std::size_t kEndpointWidth = 24;

std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

// A counter the system keeps, or nothing.
std::string Counter(const std::optional<std::uint64_t>& value) {
    return value ? Number(*value) : std::string();
}

// "00-1A-2B-3C-4D-5E" followed by last; nothing at all for an address of no bytes.
std::string HardwareText(const platform::HardwareAddress& address, std::string_view last) {
    std::string text;
    for (std::size_t i = 0; i < address.length; ++i) {
        std::array<char, 4> hex{};
        std::snprintf(hex.data(), hex.size(), "%.2X", address.bytes[i]);
        text += hex.data();
        text += i + 1 < address.length ? std::string_view("-") : last;
    }
    return text;
}

std::string EndpointText(const platform::Endpoint& endpoint) {
    return platform::Ipv4Text(endpoint.address) + ":" + Number(endpoint.port);
}

// A text left-aligned and padded with blanks to width.
std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

void WriteCounters(std::string& file, std::string_view label,
                   const std::optional<std::uint64_t>& in,
                   const std::optional<std::uint64_t>& out) {
    file += label;
    file += Counter(in) + "\t\t" + Counter(out) + "\n";
}

} // namespace

CNSReport::CNSReport(const platform::CNetworkState& state, platform::CMessageBox& messageBox,
                     std::filesystem::path folder, OpenReport openReport, Clock clock)
    : m_state(state), m_messageBox(messageBox), m_folder(std::move(folder)),
      m_openReport(std::move(openReport)), m_clock(std::move(clock)) {}

int CNSReport::Report() {
    using Writer = int (CNSReport::*)(std::string&);
    static constexpr std::array<std::pair<Writer, const char*>, 9> kWriters = {{
        {&CNSReport::WriteTitle, "Fail to Report Title"},
        {&CNSReport::WriteTime, "Fail to Report System Time"},
        {&CNSReport::WriteCommonConfig, "Fail to Report Common Configuration"},
        {&CNSReport::WriteInterfaces, "Fail to Report Interfaces"},
        {&CNSReport::WriteArpTable, "Fail to Report ARP Table"},
        {&CNSReport::WriteInterfaceList, "Fail to REport Interface list"},
        {&CNSReport::WriteRouteTable, "Fail to Report Route Table"},
        {&CNSReport::WriteProxyConfig, "Fail to REport Proxy configuration"},
        {&CNSReport::WritePortState, "Fail to REport netstat -an"},
    }};
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        platform::COutputFile output;
        if (!output.Open(ReportPath())) {
            m_messageBox.Inform("Fail to open report file");
            return -1;
        }
        std::string file;
        for (const auto& [writer, failure] : kWriters) {
            if ((this->*writer)(file) != 0) {
                m_messageBox.Inform(failure);
            }
        }
        // A full disk must not pass for a written report.
        const bool written = output.Write(file);
        if (!output.Close() || !written) {
            m_messageBox.Inform("Fail to write report file");
            return -1;
        }
    }
    if (m_openReport) {
        m_openReport(std::filesystem::absolute(ReportPath()));
    }
    return 0;
}

CNSReport::OpenReport CNSReport::TextEditor(platform::CMessageBox& messageBox) {
    return [&messageBox](const std::filesystem::path& report) {
        std::string error;
        if (!platform::OpenInDesktopApplication(report, error)) {
            const platform::ConvertedText reason = platform::Utf8ToGbk(error);
            messageBox.Inform("Fail to open the report in a text editor" +
                              (reason.Ok() ? ": " + reason.text : std::string()));
        }
    };
}

int CNSReport::WriteTitle(std::string& file) {
    file += "//////////////////////////////////////////////\n"
            "//  这是由VORNClient生成的网络配置状态报告  //\n"
            "//////////////////////////////////////////////\n\n";
    return 0;
}

int CNSReport::WriteTime(std::string& file) {
    const platform::LocalTime now = m_clock();
    file += "报告时间:\t" + std::to_string(now.year) + "年" + std::to_string(now.month) + "月" +
            std::to_string(now.day) + "日 " + std::to_string(now.hour) + "时" +
            std::to_string(now.minute) + "分" + std::to_string(now.second) + "秒\n\n";
    return 0;
}

int CNSReport::WriteCommonConfig(std::string& file) {
    platform::CommonConfig config;
    std::string error;
    if (!m_state.ReadCommonConfig(config, error)) {
        return -1;
    }
    file += "一、公共配置信息\n";
    file += "主机名:\t\t" + config.hostName + "\n";
    file += "域名:\t\t" + config.domainName + "\n";
    file += "域名服务器:\n";
    for (const std::string& server : config.dnsServers) {
        file += "\t\t" + server + "\n";
    }
    file += "\n";
    return 0;
}

int CNSReport::WriteInterfaces(std::string& file) {
    std::vector<platform::AdapterInfo> adapters;
    std::string error;
    if (!m_state.ReadAdapters(adapters, error)) {
        return -1;
    }
    file += "二、接口配置\n";
    int number = 0;
    for (const platform::AdapterInfo& adapter : adapters) {
        file += "\t接口" + std::to_string(++number) + "\n";
        file += "\t\t标识: \t" + adapter.name + "\n";
        file += "\t\t描述: \t" + adapter.description + "\n";
        file += "\t\tMAC地址: \t" + HardwareText(adapter.hardwareAddress, "\n");
        file += "\t\tIP地址: \t" + adapter.ipAddress + "\n";
        file += "\t\t子网掩码: \t" + adapter.ipMask + "\n";
        file += "\t\t网关Gateway: \t" + adapter.gateway + "\n";
        if (adapter.dhcpEnabled) {
            file += "\t\t动态分配IP地址\n";
            file += "\t\tDHCP服务器: \t" + adapter.dhcpServer + "\n";
        } else {
            file += "\t\t静态IP地址\n";
        }
        WriteInterfaceRecord(adapter.interfaceIndex, file);
    }
    file += "\n";
    return 0;
}

void CNSReport::WriteInterfaceRecord(int index, std::string& file) {
    platform::InterfaceRecord record;
    std::string error;
    if (!m_state.ReadInterface(index, record, error)) {
        return;
    }
    file += "\t\t接口号:\t" + std::to_string(record.index) + "\n";
    file += "\t\t接口类型:\t";
    file += InterfaceTypeText(record.type);
    file += "\t\tMTU:\t" + Number(record.mtu) + "\n";
    file +=
        "\t\t传输速率:\t" + (record.speed ? Number(*record.speed) + "bps" : std::string()) + "\n";
    file += "\t\t传输统计:\n";
    file += "\t\t================================\n";
    file += "\t\t\t\t收到\t\t发出\n";
    WriteCounters(file, "\t\t字节\t\t", record.received.octets, record.sent.octets);
    WriteCounters(file, "\t\t单播分组\t", record.received.unicastPackets,
                  record.sent.unicastPackets);
    WriteCounters(file, "\t\t非单播分组\t", record.received.nonUnicastPackets,
                  record.sent.nonUnicastPackets);
    WriteCounters(file, "\t\t丢弃\t\t", record.received.discards, record.sent.discards);
    WriteCounters(file, "\t\t出错\t\t", record.received.errors, record.sent.errors);
    file += "\t\t未知协议\t" + Counter(record.unknownProtocols) + "\n";
    file += "\t\t================================\n";
}

int CNSReport::WriteArpTable(std::string& file) {
    std::vector<platform::ArpRow> rows;
    std::string error;
    if (!m_state.ReadArpTable(rows, error)) {
        return -1;
    }
    file += "三、ARP表\n";
    file += "\tIP地址:MAC地址:类型\n";
    for (const platform::ArpRow& row : rows) {
        file +=
            "\t" + platform::Ipv4Text(row.address) + ":" + HardwareText(row.hardwareAddress, ":");
        file += ArpTypeText(row.type);
    }
    file += "\n";
    return 0;
}

int CNSReport::WriteInterfaceList(std::string& file) {
    std::vector<platform::InterfaceRow> rows;
    std::string error;
    if (!m_state.ReadInterfaceList(rows, error)) {
        return -1;
    }
    file += "四、接口列表\n";
    file += "\t接口标识\t接口名\n";
    for (const platform::InterfaceRow& row : rows) {
        file += "\t" + std::to_string(row.index) + "\t" + row.description + "\n";
    }
    file += "\n\n";
    return 0;
}

int CNSReport::WriteRouteTable(std::string& file) {
    std::vector<platform::RouteRow> rows;
    std::string error;
    if (!m_state.ReadRouteTable(rows, error)) {
        return -1;
    }
    file += "五、路由表\n";
    file += "\t目标地址\t子网掩码\t下一跳\t\t转发接口\t路由类型\t路由协议\n";
    for (const platform::RouteRow& row : rows) {
        if (row.destination == 0) {
            file += "\t缺省路由\t\t";
        } else {
            file +=
                "\t" + platform::Ipv4Text(row.destination) + "\t" + platform::Ipv4Text(row.mask);
        }
        file += "\t" + platform::Ipv4Text(row.nextHop);
        file += "\t" + std::to_string(row.interfaceIndex);
        file += RouteTypeText(row.type);
        file += RouteProtocolText(row.protocol);
        file += "\n";
    }
    file += "\n";
    return 0;
}

int CNSReport::WriteProxyConfig(std::string& file) {
    platform::ProxySetting setting;
    std::string error;
    if (!m_state.ReadProxySetting(setting, error)) {
        return -1;
    }
    file += "六、IE代理设置\n";
    if (setting.accessType == platform::ProxySetting::kDirect) {
        file += "\t没有使用代理\n";
    } else if (setting.accessType == platform::ProxySetting::kProxy) {
        file += "\t使用代理访问\n";
        file += "\t代理服务器:\t" + setting.proxy + "\n";
        file += "\t访问下列地址时不用代理服务器:\t" + setting.bypass + "\n";
    }
    file += "\n";
    return 0;
}

int CNSReport::WritePortState(std::string& file) {
    file += "七、网络端口状态\n";
    file += "\t本地地址\t\t远程地址\t\t状态\n";
    std::vector<platform::TcpRow> tcp;
    std::string error;
    if (!m_state.ReadTcpTable(tcp, error)) {
        return -1;
    }
    for (const platform::TcpRow& row : tcp) {
        file += "TCP\t" + Padded(EndpointText(row.local), kEndpointWidth) +
                Padded(EndpointText(row.remote), kEndpointWidth);
        file += TcpStateText(row.state);
    }
    std::vector<platform::Endpoint> udp;
    if (!m_state.ReadUdpTable(udp, error)) {
        return -1;
    }
    for (const platform::Endpoint& endpoint : udp) {
        file += "UDP\t" + Padded(EndpointText(endpoint), kEndpointWidth) + "*:*\n";
    }
    file += "\n";
    return 0;
}

} // namespace diag
