#include "resources/StringTable.h"

#include "platform/FixedText.h"
#include "platform/GbkCodec.h"
#include "platform/GbkText.h"

#include <map>

namespace resources {
namespace {

struct Entry {
    int id;
    std::string_view utf8;
};

// The texts as the program shows them. Every one is representable in GBK.
constexpr Entry kEntries[] = {
    {IDS_ABOUT_MENU, "帮助(&A)..."},
    {IDS_TRAY_TIP, "Qel校园网IP网关认证"},
    {IDS_MAIN_TITLE, "Sign in to QEL"},
    {IDS_STATUS, "状态"},
    {IDS_CONNECTED, "已连接"},
    {IDS_NOT_CONNECTED, "未连接"},
    {IDS_DISCONNECTED, "成功断开连接"},
    {IDS_ALL_DISCONNECTED, "成功断开所有连接"},
    {IDS_USER_NAME, "用户名"},
    {IDS_CURRENT_ADDRESS, "当前地址"},
    {IDS_PACKAGE_STATE, "包月状态"},
    {IDS_ACCESS_RANGE, "访问范围"},
    {IDS_ARREARS_MODE, "欠费断网"},
    {IDS_CURRENT_CONNECTIONS, "当前连接"},
    {IDS_BALANCE, "余额"},
    {IDS_ENTER_PASSWORD, "请输入密码"},
    {IDS_ENTER_USER_NAME, "请输入用户名"},
    {IDS_CHOOSE_RANGE, "请选择访问范围"},
    {IDS_INVALID_CERTIFICATE, "无效的证书"},
    {IDS_MIND_PAYMENTS, "注意交费"},
    {IDS_USE_CAMPUS_CARD, "建议使用校园卡交费"},
    {IDS_CHOOSE_ACCOUNT, "请选择一个帐户"},
    {IDS_NETWORK_PROBLEM, "您的网络连接可能有问题，请检查网卡、网线等，或者与网络管理员联系!"},
    {IDS_NO_PACKAGE, "未包月"},
    {IDS_FREE_ADDRESSES, "免费地址"},
    {IDS_FREE_AND_PAID_ADDRESSES, "免费地址、收费地址"},
    {IDS_WEAK_PASSWORD,
     "您好，由于部分用户密码简单，近期经常发生黑客盗用Qel邮箱发送大量垃圾邮件的情况，"
     "使得广大师生无法正常收发邮件，影响工作学习，而且个人信息也有泄露的危险。"
     "鉴于您的密码过于简单，请您尽快用浏览器登录%1修改！"},
    {IDS_TIME_USED, "已用时长"},
};

using Table = std::map<int, platform::CFixedText<kMaxStringLength + 1>>;

const Table& LoadedTable() {
    static const Table table = [] {
        Table loaded;
        for (const Entry& entry : kEntries) {
            loaded[entry.id].AssignCut(platform::GbkFromLiteral(entry.utf8));
        }
        return loaded;
    }();
    return table;
}

} // namespace

std::string_view LoadResString(int id) {
    const Table& table = LoadedTable();
    const auto found = table.find(id);
    return found == table.end() ? std::string_view() : found->second.View();
}

std::string FormatResString(int id, std::string_view argument, std::size_t maxLength) {
    std::string text(LoadResString(id));
    if (const size_t marker = text.find("%1"); marker != std::string::npos) {
        text.replace(marker, 2, argument);
    }
    text.resize(platform::GbkFitLength(text, maxLength));
    return text;
}

} // namespace resources
