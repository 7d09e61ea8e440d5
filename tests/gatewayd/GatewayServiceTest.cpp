#include "tools/gatewayd/GatewayService.h"

#include "platform/GbkCodec.h"
#include "tools/gatewayd/HttpMessage.h"

#include <gtest/gtest.h>

namespace {

using gatewayd::Account;

std::string Gbk(std::string_view utf8) {
    return platform::GbkFromLiteral(utf8);
}

std::vector<Account> TestAccounts() {
    return {
        {"student01", "campus 2024", "36.80", Gbk("包月20元"), Gbk("31小时"), true, 2, false},
        {"visitor", "guest", "-1.50", std::nullopt, std::nullopt, false, 1, true},
        {"metered", "m", "5.00", std::nullopt, "12h", true, 1, false},
        {"blocked", "b", "0.00", std::nullopt, std::nullopt, true, 0, false},
        {Gbk("张三"), Gbk("密码 1"), "1.00", std::nullopt, std::nullopt, false, 3, false},
    };
}

constexpr std::string_view kPeer = "127.0.0.9";

// The queries are UTF-8 here and sent as GBK, as the client sends them.
struct AnswerCase {
    const char* name;
    std::vector<std::string> before; // queries answered first, in order
    std::string query;
    std::string expectedBody; // UTF-8
};

class GatewayAnswers : public testing::TestWithParam<AnswerCase> {};

TEST_P(GatewayAnswers, AsTheClientExpects) {
    gatewayd::CAccountBook book(TestAccounts());
    gatewayd::CGatewayService service(book);
    auto ask = [&](const std::string& query) {
        return service.Respond("GET https://gw.example:5428/vornofqel?" + Gbk(query) +
                                   "&timeout=1\nHost:gw.example\n\n",
                               kPeer);
    };
    for (const std::string& query : GetParam().before) {
        ask(query);
    }
    EXPECT_EQ(ask(GetParam().query),
              gatewayd::BuildHttpResponse(
                  "200 OK", Gbk("VORNCLIENT_START" + GetParam().expectedBody + "VORNCLIENT_END")));
}

const std::string kStudent = "uid=student01&password=campus+2024";
const std::string kConnectFree = kStudent + "&range=2&operation=connect";
const std::string kConnectPaid = kStudent + "&range=1&operation=connect";
const std::string kVisitor = "uid=visitor&password=guest";
const std::string kWrongPassword = "SUCCESS=NO REASON=口令错误. ";
const std::string kTooMany = "SUCCESS=NO REASON=当前连接数超过预定值，请先断开其他连接。 ";

INSTANTIATE_TEST_SUITE_P(
    Cases, GatewayAnswers,
    testing::Values(
        AnswerCase{"unknown_account",
                   {},
                   "uid=nobody&password=x&range=2&operation=connect",
                   kWrongPassword},
        AnswerCase{"wrong_password_connect",
                   {},
                   "uid=student01&password=campus2024&range=2&operation=connect",
                   kWrongPassword},
        AnswerCase{"wrong_password_disconnectall",
                   {kConnectFree},
                   "uid=student01&password=x&range=4&operation=disconnectall",
                   kWrongPassword},
        AnswerCase{
            "missing_password", {}, "uid=student01&range=2&operation=connect", kWrongPassword},
        AnswerCase{"wrong_password_before_bad_operation",
                   {},
                   "uid=visitor&password=x&operation=x",
                   kWrongPassword},
        AnswerCase{"connect_free_with_package",
                   {},
                   kConnectFree,
                   "SUCCESS=YES USERNAME=student01 FIXRATE=YES FR_DESC_CN=包月20元 FR_TIME=31小时 "
                   "SCOPE=domestic DEFICIT=NO CONNECTIONS=1 BALANCE=36.80 IP=127.0.0.9 "
                   "MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"connect_paid_counts_up",
                   {kConnectFree},
                   kConnectPaid,
                   "SUCCESS=YES USERNAME=student01 FIXRATE=YES FR_DESC_CN=包月20元 FR_TIME=31小时 "
                   "SCOPE=international DEFICIT=NO CONNECTIONS=2 BALANCE=36.80 IP=127.0.0.9 "
                   "MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"connect_without_package_in_arrears_mode",
                   {},
                   kVisitor + "&range=2&operation=connect",
                   "SUCCESS=YES USERNAME=visitor FIXRATE=NO SCOPE=domestic DEFICIT=YES "
                   "CONNECTIONS=1 BALANCE=-1.50 IP=127.0.0.9 MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"time_used_without_package",
                   {},
                   "uid=metered&password=m&range=1&operation=connect",
                   "SUCCESS=YES USERNAME=metered FIXRATE=NO FR_TIME=12h SCOPE=international "
                   "DEFICIT=NO CONNECTIONS=1 BALANCE=5.00 IP=127.0.0.9 MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"chinese_account_and_password",
                   {},
                   "uid=张三&password=密码+1&range=2&operation=connect",
                   "SUCCESS=YES USERNAME=张三 FIXRATE=NO SCOPE=domestic DEFICIT=NO CONNECTIONS=1 "
                   "BALANCE=1.00 IP=127.0.0.9 MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"no_paid_right",
                   {},
                   kVisitor + "&range=1&operation=connect",
                   "SUCCESS=NO REASON=没有访问收费地址的权限。 "},
        AnswerCase{"limit_reached", {kConnectFree, kConnectPaid}, kConnectFree, kTooMany},
        AnswerCase{"limit_zero", {}, "uid=blocked&password=b&range=1&operation=connect", kTooMany},
        AnswerCase{"refused_connect_does_not_count",
                   {kVisitor + "&range=1&operation=connect"},
                   kVisitor + "&range=2&operation=connect",
                   "SUCCESS=YES USERNAME=visitor FIXRATE=NO SCOPE=domestic DEFICIT=YES "
                   "CONNECTIONS=1 BALANCE=-1.50 IP=127.0.0.9 MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"counts_are_per_account",
                   {kConnectFree, kConnectFree},
                   "uid=metered&password=m&range=2&operation=connect",
                   "SUCCESS=YES USERNAME=metered FIXRATE=NO FR_TIME=12h SCOPE=domestic "
                   "DEFICIT=NO CONNECTIONS=1 BALANCE=5.00 IP=127.0.0.9 MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"missing_range",
                   {},
                   kStudent + "&operation=connect",
                   "SUCCESS=NO REASON=缺少访问范围参数。 "},
        AnswerCase{"range_all_cannot_connect",
                   {},
                   kStudent + "&range=4&operation=connect",
                   "SUCCESS=NO REASON=访问范围不正确。 "},
        AnswerCase{"unknown_operation",
                   {},
                   kStudent + "&range=2&operation=login",
                   "SUCCESS=NO REASON=不支持的操作。 "},
        AnswerCase{
            "missing_operation", {}, kStudent + "&range=2", "SUCCESS=NO REASON=不支持的操作。 "},
        AnswerCase{"disconnect_one",
                   {kConnectFree, kConnectFree},
                   kStudent + "&range=2&operation=disconnect",
                   "SUCCESS=YES CONNECTIONS=1 "},
        AnswerCase{"disconnect_without_connection",
                   {},
                   kStudent + "&range=2&operation=disconnect",
                   "SUCCESS=NO REASON=没有可断开的连接。 "},
        AnswerCase{"disconnect_frees_a_place",
                   {kConnectFree, kConnectFree, kStudent + "&range=2&operation=disconnect"},
                   kConnectFree,
                   "SUCCESS=YES USERNAME=student01 FIXRATE=YES FR_DESC_CN=包月20元 FR_TIME=31小时 "
                   "SCOPE=domestic DEFICIT=NO CONNECTIONS=2 BALANCE=36.80 IP=127.0.0.9 "
                   "MESSAGE=欢迎使用校园网。 "},
        AnswerCase{"disconnect_all",
                   {kConnectFree, kConnectPaid},
                   kStudent + "&range=4&operation=disconnectall",
                   "SUCCESS=YES CONNECTIONS=0 "},
        AnswerCase{"disconnect_all_without_connection",
                   {},
                   kStudent + "&range=4&operation=disconnectall",
                   "SUCCESS=YES CONNECTIONS=0 "},
        AnswerCase{"connect_after_disconnect_all",
                   {kConnectFree, kConnectPaid, kStudent + "&range=4&operation=disconnectall"},
                   kConnectPaid,
                   "SUCCESS=YES USERNAME=student01 FIXRATE=YES FR_DESC_CN=包月20元 FR_TIME=31小时 "
                   "SCOPE=international DEFICIT=NO CONNECTIONS=1 BALANCE=36.80 IP=127.0.0.9 "
                   "MESSAGE=欢迎使用校园网。 "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GatewayService, AnswersWhatIsNoGatewayRequestWithAnHttpError) {
    gatewayd::CAccountBook book(TestAccounts());
    gatewayd::CGatewayService service(book);
    EXPECT_EQ(service.Respond("GET /index.html HTTP/1.1\r\n\r\n", kPeer),
              gatewayd::BuildHttpResponse("404 Not Found", "not found\n"));
    EXPECT_EQ(service.Respond("DELETE /vornofqel HTTP/1.1\r\n\r\n", kPeer),
              gatewayd::BuildHttpResponse("400 Bad Request", "bad request\n"));
}

} // namespace
