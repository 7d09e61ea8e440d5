#pragma once

#include <string>
#include <string_view>

// The program's resource string table, shared by the core and the windows. Texts are
// GBK byte text of at most 255 bytes, as the loaded string table holds them.
namespace resources {

inline constexpr int IDS_ABOUT_MENU = 101;
inline constexpr int IDS_TRAY_TIP = 102;
inline constexpr int IDS_MAIN_TITLE = 103;
inline constexpr int IDS_STATUS = 104;
inline constexpr int IDS_CONNECTED = 105;
inline constexpr int IDS_NOT_CONNECTED = 106;
inline constexpr int IDS_DISCONNECTED = 107;
inline constexpr int IDS_ALL_DISCONNECTED = 108;
inline constexpr int IDS_USER_NAME = 109;
inline constexpr int IDS_CURRENT_ADDRESS = 110;
inline constexpr int IDS_PACKAGE_STATE = 111;
inline constexpr int IDS_ACCESS_RANGE = 112;
inline constexpr int IDS_ARREARS_MODE = 113;
inline constexpr int IDS_CURRENT_CONNECTIONS = 114;
inline constexpr int IDS_BALANCE = 115;
inline constexpr int IDS_ENTER_PASSWORD = 116;
inline constexpr int IDS_ENTER_USER_NAME = 117;
inline constexpr int IDS_CHOOSE_RANGE = 118;
inline constexpr int IDS_INVALID_CERTIFICATE = 122;
inline constexpr int IDS_MIND_PAYMENTS = 127;
inline constexpr int IDS_USE_CAMPUS_CARD = 128;
inline constexpr int IDS_CHOOSE_ACCOUNT = 131;
inline constexpr int IDS_NETWORK_PROBLEM = 132;
inline constexpr int IDS_NO_PACKAGE = 134;
inline constexpr int IDS_FREE_ADDRESSES = 137;
inline constexpr int IDS_FREE_AND_PAID_ADDRESSES = 138;
inline constexpr int IDS_WEAK_PASSWORD = 140;
inline constexpr int IDS_TIME_USED = 141;

inline constexpr std::size_t kMaxStringLength = 255;

// Answers the text of resource string id, or an empty text for an id the table does not
// hold. The table is converted to GBK once, on first use; any thread may call this.
std::string_view LoadResString(int id);

// Answers resource string id with its "%1" replaced by argument (GBK), as a message
// buffer would hold it: at most maxLength bytes, cut at a character boundary.
std::string FormatResString(int id, std::string_view argument, std::size_t maxLength);

} // namespace resources
