#pragma once

#include <string_view>

namespace diag {

// The texts the network state report writes for the report's codes (ReportCodes.h maps the
// system's codes onto these). A code outside a table answers an empty text: the report
// writes nothing for it, and the line goes on.

// "以太网\n" and the like, with the line end.
std::string_view InterfaceTypeText(int type);

// "其他\n", "无效\n", "动态\n", "静态\n", with the line end.
std::string_view ArpTypeText(int type);

// "\t直接路由" and the like, with the leading tab.
std::string_view RouteTypeText(int type);

// "\t本地接口" and the like, with the leading tab.
std::string_view RouteProtocolText(int protocol);

// "LISTEN\n" and the like, with the line end.
std::string_view TcpStateText(int state);

} // namespace diag
