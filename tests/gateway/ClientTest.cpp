#include "gateway/QELOpenSSLVORNClient.h"
#include "gateway/QELVORNClient.h"
#include "gateway/Reconnect.h"
#include "gateway/StatusRows.h"
#include "platform/GbkCodec.h"
#include "platform/ScriptedMessageBox.h"
#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace gateway;

std::string Gbk(std::string_view utf8) {
    return platform::GbkFromLiteral(utf8);
}

std::string Answer(std::string_view entries) {
    return "HTTP/1.0 200 OK\r\n\r\nVORNCLIENT_START " + std::string(entries) + "VORNCLIENT_END";
}

const std::string kConnectEntries =
    "SUCCESS=YES USERNAME=alice FIXRATE=NO FR_TIME=3h SCOPE=domestic "
    "DEFICIT=NO CONNECTIONS=1 BALANCE=12.5 IP=10.1.2.3 MESSAGE=hi ";

// A client whose exchanges are answered from a script instead of a server, so that the
// parsing and the result codes can be checked on exactly the answer that shows a case.
class CScriptedClient final : public CQELVORNClient {
public:
    explicit CScriptedClient(platform::CMessageBox& messageBox)
        : CQELVORNClient(GatewayServer{"gw.test", 5428, 8080}, messageBox) {}

    void QueueAnswer(std::string answer) { m_answers.push_back(std::move(answer)); }
    const std::vector<int>& Operations() const { return m_operations; }

    bool DoOperation(int op) override {
        m_operations.push_back(op);
        if (m_answers.empty()) {
            SetMessage("no scripted answer");
            return false;
        }
        const std::string answer = m_answers.front();
        m_answers.pop_front();
        return ParseResponse(answer, op == OP_CONNECT);
    }

private:
    std::deque<std::string> m_answers;
    std::vector<int> m_operations;
};

class ClientTest : public testing::Test {
protected:
    void GiveAccount(const char* user, const char* password, int range = RANGE_FREE) {
        ASSERT_TRUE(client.SetUserName(user));
        ASSERT_TRUE(client.SetPassword(password));
        ASSERT_TRUE(client.SetRange(range));
    }

    platform::CScriptedMessageBox messageBox;
    CScriptedClient client{messageBox};
};

TEST_F(ClientTest, SettersKeepTheirByteLimitsAndTheOldValue) {
    EXPECT_TRUE(client.SetUserName(std::string(19, 'u').c_str()));
    EXPECT_FALSE(client.SetUserName(std::string(20, 'v').c_str()));
    EXPECT_EQ(client.GetMessage(), Gbk("请输入用户名"));
    EXPECT_FALSE(client.SetUserName(nullptr));

    EXPECT_TRUE(client.SetPassword(std::string(49, 'p').c_str()));
    EXPECT_FALSE(client.SetPassword(std::string(50, 'q').c_str()));
    EXPECT_EQ(client.GetMessage(), Gbk("请输入密码"));
    EXPECT_FALSE(client.SetPassword(nullptr));

    EXPECT_FALSE(client.SetRange(0));
    EXPECT_FALSE(client.SetRange(3));
    EXPECT_EQ(client.GetMessage(), Gbk("请选择访问范围"));

    // The values accepted first are the ones an operation sends.
    client.QueueAnswer(Answer("SUCCESS=YES "));
    EXPECT_EQ(client.DisconnectAll(), RESULT_OK);
    EXPECT_EQ(client.Operations(), std::vector<int>{OP_DISCONNECTALL});
}

struct ValidationCase {
    const char* name;
    const char* user;
    const char* password;
    bool chooseRange;
    int expectedCode;
    const char* expectedMessage;
};

void PrintTo(const ValidationCase& validation, std::ostream* out) {
    *out << validation.name;
}

class ConnectValidation : public ClientTest, public testing::WithParamInterface<ValidationCase> {};

TEST_P(ConnectValidation, SendsNothingAndNamesTheMissingField) {
    const ValidationCase& validation = GetParam();
    ASSERT_TRUE(client.SetUserName(validation.user));
    ASSERT_TRUE(client.SetPassword(validation.password));
    if (validation.chooseRange) {
        ASSERT_TRUE(client.SetRange(RANGE_PAID));
    }
    EXPECT_EQ(client.Connect(), validation.expectedCode);
    EXPECT_EQ(client.GetMessage(), Gbk(validation.expectedMessage));
    EXPECT_TRUE(client.Operations().empty());
    EXPECT_FALSE(client.IsConnected());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectValidation,
    testing::Values(
        ValidationCase{"no user", "", "secret99", true, RESULT_NO_USER_NAME, "请输入用户名"},
        ValidationCase{"no password", "alice", "", true, RESULT_BAD_PASSWORD, "请输入密码"},
        ValidationCase{"no range", "alice", "secret99", false, RESULT_NO_RANGE, "请选择访问范围"},
        ValidationCase{"nothing", "", "", false, RESULT_NO_USER_NAME, "请输入用户名"}));

TEST_F(ClientTest, DisconnectAllNeedsNoRange) {
    ASSERT_TRUE(client.SetUserName("alice"));
    ASSERT_TRUE(client.SetPassword("secret99"));
    client.QueueAnswer(Answer("SUCCESS=YES "));
    EXPECT_EQ(client.DisconnectAll(), RESULT_OK);
    EXPECT_EQ(client.Operations().size(), 1u);
}

struct RefusalCase {
    const char* name;
    std::string reason; // UTF-8
    int expectedCode;
};

void PrintTo(const RefusalCase& refusal, std::ostream* out) {
    *out << refusal.name;
}

class ConnectRefusal : public ClientTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(ConnectRefusal, MapsTheReasonByItsBeginningAndKeepsItAsTheMessage) {
    GiveAccount("alice", "secret99", RANGE_PAID);
    const std::string reason = Gbk(GetParam().reason);
    client.QueueAnswer(Answer("SUCCESS=NO REASON=" + reason + " "));
    EXPECT_EQ(client.Connect(), GetParam().expectedCode);
    EXPECT_EQ(client.GetMessage(), reason);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(messageBox.ShownBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectRefusal,
    testing::Values(RefusalCase{"wrong password", "口令错误.", RESULT_BAD_PASSWORD},
                    RefusalCase{"wrong password said later", "您的口令错误.", RESULT_FAILED},
                    RefusalCase{"too many", "当前连接数超过预定值，请断开。",
                                RESULT_TOO_MANY_CONNECTIONS},
                    RefusalCase{"no paid right", "没有访问收费地址的权限。", RESULT_NO_PAID_RIGHT},
                    RefusalCase{"other", "账号已停用", RESULT_FAILED}));

TEST_F(ClientTest, ConnectFailsWhenTheExchangeFails) {
    GiveAccount("alice", "secret99");
    EXPECT_EQ(client.Connect(), RESULT_FAILED);
    EXPECT_EQ(client.GetMessage(), "no scripted answer");
}

struct AdvisoryCase {
    const char* password;
    bool weak;
};

void PrintTo(const AdvisoryCase& advisory, std::ostream* out) {
    *out << advisory.password;
}

class PasswordAdvisory : public ClientTest, public testing::WithParamInterface<AdvisoryCase> {};

TEST_P(PasswordAdvisory, IsShownAfterAConnectWithAWeakPassword) {
    GiveAccount("alice99", GetParam().password);
    client.QueueAnswer(Answer(kConnectEntries));
    ASSERT_EQ(client.Connect(), RESULT_OK);
    EXPECT_TRUE(client.IsConnected());
    if (GetParam().weak) {
        const std::string advisory = std::string(client.GetMessage());
        EXPECT_EQ(advisory.find(Gbk("您好，由于部分用户密码简单")), 0u);
        EXPECT_NE(advisory.find(Gbk("请您尽快用浏览器登录http://gw.test:8080/修改！")),
                  std::string::npos);
        ASSERT_EQ(messageBox.ShownBoxes().size(), 1u);
        EXPECT_EQ(messageBox.ShownBoxes()[0].kind, platform::CScriptedMessageBox::Kind::Inform);
        EXPECT_EQ(messageBox.ShownBoxes()[0].text, advisory);
    } else {
        EXPECT_TRUE(client.GetMessage().empty());
        EXPECT_TRUE(messageBox.ShownBoxes().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PasswordAdvisory,
                         testing::Values(AdvisoryCase{"abcde", true}, AdvisoryCase{"alice99", true},
                                         AdvisoryCase{"zzzzzz", true},
                                         AdvisoryCase{"abc123", false}));

TEST_F(ClientTest, DisconnectAllEndsTheConnectionOnlyForTheConnectedAccount) {
    GiveAccount("alice", "secret99");
    client.QueueAnswer(Answer(kConnectEntries));
    ASSERT_EQ(client.Connect(), RESULT_OK);

    ASSERT_TRUE(client.SetUserName("bob"));
    client.QueueAnswer(Answer("SUCCESS=YES "));
    EXPECT_EQ(client.DisconnectAll(), RESULT_OK);
    EXPECT_TRUE(client.IsConnected());

    ASSERT_TRUE(client.SetUserName("alice"));
    client.QueueAnswer(Answer("SUCCESS=YES "));
    EXPECT_EQ(client.DisconnectAll(), RESULT_OK);
    EXPECT_FALSE(client.IsConnected());
}

TEST_F(ClientTest, DisconnectSendsWhateverIsStoredAndKeepsTheConnectionOnFailure) {
    client.QueueAnswer(Answer("SUCCESS=NO REASON=gone "));
    EXPECT_FALSE(client.Disconnect());
    EXPECT_EQ(client.GetMessage(), "gone");
    EXPECT_EQ(client.Operations(), std::vector<int>{OP_DISCONNECT});

    GiveAccount("alice", "secret99");
    client.QueueAnswer(Answer(kConnectEntries));
    ASSERT_EQ(client.Connect(), RESULT_OK);
    client.QueueAnswer(Answer("SUCCESS=NO REASON=busy "));
    EXPECT_FALSE(client.Disconnect());
    EXPECT_TRUE(client.IsConnected());
    client.QueueAnswer(Answer("SUCCESS=YES "));
    EXPECT_TRUE(client.Disconnect());
    EXPECT_FALSE(client.IsConnected());
}

struct ParseCase {
    const char* name;
    std::string answer;
    bool isConnect;
    bool expectedResult;
    std::string expectedMessage; // UTF-8; "" when the message must stay empty
};

void PrintTo(const ParseCase& parse, std::ostream* out) {
    *out << parse.name;
}

class ParseResponse : public ClientTest, public testing::WithParamInterface<ParseCase> {};

TEST_P(ParseResponse, AnswersAndWritesTheMessage) {
    const ParseCase& parse = GetParam();
    EXPECT_EQ(client.ParseResponse(parse.answer, parse.isConnect), parse.expectedResult);
    EXPECT_EQ(client.GetMessage(), Gbk(parse.expectedMessage));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseResponse,
    testing::Values(
        ParseCase{"no start marker", "SUCCESS=YES VORNCLIENT_END", false, false, "返回值不正确"},
        ParseCase{"no end marker", "VORNCLIENT_START SUCCESS=YES ", false, false, "返回值不正确"},
        ParseCase{"end before start", "VORNCLIENT_END VORNCLIENT_START SUCCESS=YES ", false, false,
                  "响应中找不到关键字:SUCCESS"},
        ParseCase{"disconnect needs only success", Answer("SUCCESS=YES "), false, true, ""},
        ParseCase{"last value without space", "VORNCLIENT_STARTSUCCESS=YESVORNCLIENT_END", false,
                  false, "响应中找不到关键字:SUCCESS"},
        ParseCase{"success is case sensitive", Answer("SUCCESS=yes REASON=x "), false, false, "x"},
        ParseCase{"failure without reason", Answer("SUCCESS=NO "), false, false,
                  "响应中找不到关键字:REASON"},
        ParseCase{"wrong password reason",
                  Answer("SUCCESS=NO REASON=\xBF\xDA\xC1\xEE\xB4\xED\xCE\xF3. "), false, false,
                  "口令错误."},
        ParseCase{"username of 20 bytes fits",
                  Answer("SUCCESS=YES USERNAME=" + std::string(20, 'u') +
                         " FIXRATE=NO SCOPE=x DEFICIT=NO CONNECTIONS=1 BALANCE=0 IP=i MESSAGE=m "),
                  true, true, ""},
        ParseCase{"username of 21 bytes does not",
                  Answer("SUCCESS=YES USERNAME=" + std::string(21, 'u') + " "), true, false,
                  "缓冲区太小,在分析:USERNAME的时候"},
        ParseCase{"package without description",
                  Answer("SUCCESS=YES USERNAME=a FIXRATE=YES SCOPE=x "), true, false,
                  "响应中找不到关键字:FR_DESC_CN"},
        ParseCase{"missing later key stops", Answer("SUCCESS=YES USERNAME=a FIXRATE=NO SCOPE=x "),
                  true, false, "响应中找不到关键字:DEFICIT"},
        ParseCase{"key without equals", Answer("SUCCESS YES "), false, false,
                  "响应中找不到关键字:SUCCESS"}));

TEST_F(ClientTest, ConnectAnswerFillsTheResult) {
    ASSERT_TRUE(client.ParseResponse(Answer(kConnectEntries), true));
    const GatewayResult& result = client.GetResult();
    EXPECT_TRUE(result.m_bSuccess);
    EXPECT_EQ(result.m_szResUserName, "alice");
    EXPECT_FALSE(result.m_bFixRate);
    EXPECT_EQ(result.m_szFixRateTime, "3h");
    EXPECT_FALSE(result.m_bInternational);
    EXPECT_FALSE(result.m_bDeficit);
    EXPECT_EQ(result.m_szConnections, "1");
    EXPECT_EQ(result.m_szBalance, "12.5");
    EXPECT_EQ(result.m_szResIP, "10.1.2.3");
    EXPECT_EQ(result.m_szServerMessage, "hi");
}

TEST_F(ClientTest, ConnectAnswerWithoutTimeUsedReadsNotAvailable) {
    ASSERT_TRUE(client.ParseResponse(Answer("SUCCESS=YES USERNAME=a FIXRATE=NO SCOPE=Domestic "
                                            "DEFICIT=YES CONNECTIONS=2 BALANCE=0 IP=i MESSAGE=m "),
                                     true));
    EXPECT_EQ(client.GetResult().m_szFixRateTime, "N/A");
    EXPECT_TRUE(client.GetResult().m_bInternational);
    EXPECT_TRUE(client.GetResult().m_bDeficit);
    EXPECT_TRUE(client.GetMessage().empty());
}

TEST_F(ClientTest, LongPackageTextsAreCutAtACharacterBoundary) {
    // Eight two-byte characters: 16 bytes, one more than the field holds.
    const std::string description = Gbk("包月二十元套餐计");
    const std::string time = "12345678901234567";
    ASSERT_TRUE(client.ParseResponse(
        Answer("SUCCESS=YES USERNAME=a FIXRATE=YES FR_DESC_CN=" + description + " FR_TIME=" + time +
               " SCOPE=x DEFICIT=NO CONNECTIONS=1 BALANCE=0 IP=i MESSAGE=m "),
        true));
    EXPECT_TRUE(client.GetResult().m_bFixRate);
    EXPECT_EQ(client.GetResult().m_szFixRateDesc, description.substr(0, 14));
    EXPECT_EQ(client.GetResult().m_szFixRateTime, time.substr(0, 15));
}

TEST_F(ClientTest, KeySearchIsNotAnchoredButNeverStartsOnATrailByte) {
    std::string value;
    EXPECT_TRUE(client.GetValue("REASON=TIP=x SCOPE=y ", "IP", value, 64));
    EXPECT_EQ(value, "x");
    // "\xB5\xC9" is one character; a byte search would find "\xC9" "X" in it.
    EXPECT_FALSE(client.GetValue("A=\xB5\xC9X=1 ", "\xC9X", value, 64));
    EXPECT_EQ(client.GetMessage(), Gbk("响应中找不到关键字:") + "\xC9X");
    EXPECT_TRUE(client.GetValue("EMPTY= ", "EMPTY", value, 1));
    EXPECT_EQ(value, "");
}

TEST_F(ClientTest, ABrokenCharacterDoesNotRunIntoTheNextEntry) {
    // "张" and a lone lead byte: the space after it still ends the value.
    ASSERT_TRUE(client.ParseResponse(Answer("SUCCESS=YES USERNAME=\xD5\xC5\xB0 FIXRATE=NO "
                                            "SCOPE=x DEFICIT=NO CONNECTIONS=1 BALANCE=0 IP=i "
                                            "MESSAGE=m "),
                                     true))
        << platform::GbkToUtf8ForDisplay(client.GetMessage());
    EXPECT_EQ(client.GetResult().m_szResUserName, "\xD5\xC5\xB0");
}

TEST_F(ClientTest, ResultFieldsKeepTheirValuesUntilWrittenAgain) {
    ASSERT_TRUE(client.ParseResponse(Answer(kConnectEntries), true));
    ASSERT_FALSE(client.ParseResponse(Answer("SUCCESS=YES USERNAME=bob FIXRATE=NO "), true));
    EXPECT_EQ(client.GetResult().m_szResUserName, "bob");
    EXPECT_EQ(client.GetResult().m_szBalance, "12.5");
    ASSERT_FALSE(client.ParseResponse("garbage", true));
    EXPECT_EQ(client.GetResult().m_szResUserName, "bob");
}

TEST(UrlEncode, EncodesExactlyTheDelimitersAndSpace) {
    std::string every;
    for (int byte = 1; byte < 256; ++byte) {
        every += static_cast<char>(byte);
    }
    const std::string encoded = CQELOpenSSLVORNClient::UrlEncode(every);
    const std::string delimiters = "!\"#$%&'()+,/:;=?[\\]^`{|}~";
    std::string expected;
    for (const char character : every) {
        if (character == ' ') {
            expected += '+';
        } else if (delimiters.find(character) != std::string::npos) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(character));
            expected += hex;
        } else {
            expected += character;
        }
    }
    EXPECT_EQ(delimiters.size(), 25u);
    EXPECT_EQ(encoded, expected);
    EXPECT_EQ(CQELOpenSSLVORNClient::UrlEncode("a b&c"), "a+b%26c");
}

TEST(StatusRows, ShowTheConnectionFromTheResult) {
    GatewayResult result;
    result.m_szResUserName.Assign("alice");
    result.m_szResIP.Assign("10.0.0.7");
    result.m_bFixRate = true;
    result.m_szFixRateDesc.Assign(Gbk("包月"));
    result.m_szFixRateTime.Assign("N/A");
    result.m_bInternational = true;
    result.m_szConnections.Assign("2");
    result.m_szBalance.Assign("9.5");
    const std::vector<StatusRow> rows = ConnectedStatusRows(result);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"状态", "已连接"},   {"用户名", "alice"}, {"当前地址", "10.0.0.7"},
        {"包月状态", "包月"}, {"已用时长", "N/A"}, {"访问范围", "免费地址、收费地址"},
        {"当前连接", "2"},    {"余额", "9.5"},     {"注意交费", "建议使用校园卡交费"},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].label, Gbk(expected[i].first)) << "row " << i;
        EXPECT_EQ(rows[i].value, Gbk(expected[i].second)) << "row " << i;
    }
    result.m_bFixRate = false;
    result.m_bInternational = false;
    EXPECT_EQ(ConnectedStatusRows(result)[3].value, Gbk("未包月"));
    EXPECT_EQ(ConnectedStatusRows(result)[5].value, Gbk("免费地址"));
    ASSERT_EQ(DisconnectedStatusRows().size(), 1u);
    EXPECT_EQ(DisconnectedStatusRows()[0].value, Gbk("未连接"));
}

} // namespace

namespace {

// --- One reconnect ------------------------------------------------------------------------

struct ReconnectCase {
    std::string name;
    bool disconnectAllFirst;
    std::vector<std::string> answers; // in order; a missing one fails its operation
    int code;
    std::vector<int> operations;
    bool connected;
};

std::ostream& operator<<(std::ostream& out, const ReconnectCase& row) {
    return out << row.name;
}

class ReconnectTest : public ClientTest, public testing::WithParamInterface<ReconnectCase> {};

TEST_P(ReconnectTest, DisconnectsFirstThenConnects) {
    const ReconnectCase& row = GetParam();
    // A weak password, whose advisory a reconnect does not show again.
    GiveAccount("alice", "alice");
    for (const std::string& answer : row.answers) {
        client.QueueAnswer(answer);
    }
    EXPECT_EQ(gateway::Reconnect(client, row.disconnectAllFirst), row.code);
    EXPECT_EQ(client.Operations(), row.operations);
    EXPECT_EQ(client.IsConnected(), row.connected);
    EXPECT_TRUE(messageBox.ShownBoxes().empty());
    // A connect of the user's shows it as before.
    client.QueueAnswer(Answer(kConnectEntries));
    EXPECT_EQ(client.Connect(), RESULT_OK);
    EXPECT_EQ(messageBox.ShownBoxes().size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReconnectTest,
    testing::Values(ReconnectCase{"stale_disconnect_refused",
                                  false,
                                  {Answer("SUCCESS=NO REASON=unknown "), Answer(kConnectEntries)},
                                  RESULT_OK,
                                  {OP_DISCONNECT, OP_CONNECT},
                                  true},
                    ReconnectCase{"connect_fails",
                                  false,
                                  {Answer("SUCCESS=YES "), Answer("SUCCESS=NO REASON=busy ")},
                                  RESULT_FAILED,
                                  {OP_DISCONNECT, OP_CONNECT},
                                  false},
                    ReconnectCase{"after_disconnect_all",
                                  true,
                                  {Answer("SUCCESS=YES "), Answer(kConnectEntries)},
                                  RESULT_OK,
                                  {OP_DISCONNECTALL, OP_CONNECT},
                                  true},
                    ReconnectCase{"disconnect_all_fails",
                                  true,
                                  {Answer("SUCCESS=NO REASON=busy ")},
                                  RESULT_FAILED,
                                  {OP_DISCONNECTALL},
                                  false}),
    [](const testing::TestParamInfo<ReconnectCase>& info) { return info.param.name; });

} // namespace
