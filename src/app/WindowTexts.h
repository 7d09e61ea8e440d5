#pragma once

#include <QString>
#include <string>
#include <string_view>

// The texts of the main window's template, menus and questions, UTF-8 as the source holds
// them. The string table's own texts come from resources/StringTable.h.
namespace app::texts {

inline constexpr std::string_view kAccountGroup = "帐户信息";
inline constexpr std::string_view kUserNameLabel = "用户名:";
inline constexpr std::string_view kPasswordLabel = "密码:";
inline constexpr std::string_view kRangeLabel = "访问范围:";
inline constexpr std::string_view kFree = "免费";
inline constexpr std::string_view kPaid = "收费";
inline constexpr std::string_view kSaveAccount = "保存我的账号";
inline constexpr std::string_view kRememberPassword = "记住我的密码";
inline constexpr std::string_view kAutoLogon = "自动为我登录";
inline constexpr std::string_view kDeleteCurrent = "删除本账号信息";
inline constexpr std::string_view kDeleteAll = "删除所有账号信息";
inline constexpr std::string_view kNotice = "校园网公告";
inline constexpr std::string_view kConnectionGroup = "连接信息";
inline constexpr std::string_view kStatusList = "连接状态";
inline constexpr std::string_view kBanner = "Qel校园网IP网关认证";
inline constexpr std::string_view kConnect = "连接";
inline constexpr std::string_view kDisconnectAll = "断开所有连接";
inline constexpr std::string_view kDisconnect = "断开连接";
inline constexpr std::string_view kHelp = "帮助";
inline constexpr std::string_view kCheckUpdates = "检查更新";
inline constexpr std::string_view kExit = "退出";

inline constexpr std::string_view kNoPaidRight =
    "您当前使用的账号没有访问收费地址的权限，是否选择访问免费地址范围？";
inline constexpr std::string_view kTooManyConnections =
    "当前连接数超过预定值，也可能是您上次登录后忘记断开连接引起。是否断开所有连接后重试？";
inline constexpr std::string_view kAutoPaidRange =
    "自动连接时是否也选择收费地址范围（当前连接不受影响）？";
inline constexpr std::string_view kExitConfirm = "退出将自动断开连接，确认退出？";
inline constexpr std::string_view kConPrompt =
    "您已经成功连接！目前的使用方式是欠费断网，请注意及时交费。建议使用校园卡交费，可以不受限制，"
    "随时随地进行。";
inline constexpr std::string_view kRemindAgain = "下次连接后还要提示吗？";
inline constexpr std::string_view kDeleteCurrentConfirm = "确实要删除当前账户信息？";
inline constexpr std::string_view kDeleteAllConfirm = "确实要删除所有账户信息？";
inline constexpr std::string_view kAboutTitle = "Qel校园网IP网关认证 v1.1";
inline constexpr std::string_view kUserNameNotGbk =
    "用户名中有无法使用的字符，请只使用中文、英文字母、数字和常用符号。";
inline constexpr std::string_view kPasswordNotGbk =
    "密码中有无法使用的字符，请只使用中文、英文字母、数字和常用符号。";
inline constexpr std::string_view kUserNameTooLong =
    "用户名太长：最多19个字节（一个汉字占两个字节）。";
inline constexpr std::string_view kPasswordTooLong =
    "密码太长：最多49个字节（一个汉字占两个字节）。";

} // namespace app::texts

namespace app {

// One of the program's own texts as GBK, for the message box and the core.
std::string Gbk(std::string_view utf8);

// GBK text for a widget.
QString FromGbk(std::string_view gbk);

// One of the program's own texts for a widget.
inline QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace app
