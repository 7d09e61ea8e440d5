#include "diag/ReportTables.h"

#include <algorithm>
#include <array>
#include <utility>

namespace diag {
namespace {

using Row = std::pair<int, std::string_view>;

template <std::size_t N>
std::string_view Look(const std::array<Row, N>& table, int code) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [code](const Row& row) { return row.first == code; });
    return found == table.end() ? std::string_view() : found->second;
}

constexpr std::array<Row, 9> kInterfaceTypes = {{
    {1, "未知\n"},
    {6, "以太网\n"},
    {9, "令牌环\n"},
    {23, "PPP\n"},
    {24, "回环\n"},
    {37, "ATM\n"},
    {71, "802.11\n"},
    {131, "隧道\n"},
    {144, "1394以太网\n"},
}};

constexpr std::array<Row, 4> kArpTypes = {{
    {1, "其他\n"},
    {2, "无效\n"},
    {3, "动态\n"},
    {4, "静态\n"},
}};

constexpr std::array<Row, 4> kRouteTypes = {{
    {1, "\t未知类型"},
    {2, "\t无效路由"},
    {3, "\t直接路由"},
    {4, "\t间接路由"},
}};

constexpr std::array<Row, 17> kRouteProtocols = {{
    {1, "\t未知协议"},
    {2, "\t本地接口"},
    {3, "\t网管静态路由"},
    {4, "\tICMP重定向"},
    {5, "\tEGP"},
    {6, "\tGGP"},
    {7, "\tHELLO"},
    {8, "\tRIP"},
    {9, "\tIS_IS"},
    {10, "\tES_IS"},
    {11, "\tCISCO IGRP"},
    {12, "\tBBN"},
    {13, "\tOSPF"},
    {14, "\tBGP"},
    {10002, "\tAUTOSTATIC"},
    {10006, "\t静态路由"},
    {10007, "\t静态路由(Non-DOD)"},
}};

constexpr std::array<Row, 12> kTcpStates = {{
    {1, "CLOSED\n"},
    {2, "LISTEN\n"},
    {3, "SYN_SENT\n"},
    {4, "SYN_RCVD\n"},
    {5, "ESTABLISHED\n"},
    {6, "FIN_WAIT1\n"},
    {7, "FIN_WAIT2\n"},
    {8, "CLOSE_WAIT\n"},
    {9, "CLOSING\n"},
    {10, "LAST_ACK\n"},
    {11, "TIME_WAIT\n"},
    {12, "DELETE_TCB\n"},
}};

} // namespace

std::string_view InterfaceTypeText(int type) {
    return Look(kInterfaceTypes, type);
}

std::string_view ArpTypeText(int type) {
    return Look(kArpTypes, type);
}

std::string_view RouteTypeText(int type) {
    return Look(kRouteTypes, type);
}

std::string_view RouteProtocolText(int protocol) {
    return Look(kRouteProtocols, protocol);
}

std::string_view TcpStateText(int state) {
    return Look(kTcpStates, state);
}

} // namespace diag
