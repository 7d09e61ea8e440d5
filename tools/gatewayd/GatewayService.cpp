#include "tools/gatewayd/GatewayService.h"

#include "platform/GbkCodec.h"
#include "tools/gatewayd/HttpMessage.h"

namespace gatewayd {
namespace {

// The client tells its refusals apart by how these REASON texts begin.
constexpr std::string_view kWrongPassword = "口令错误.";
constexpr std::string_view kNoPaidRight = "没有访问收费地址的权限。";
constexpr std::string_view kTooManyConnections = "当前连接数超过预定值，请先断开其他连接。";
constexpr std::string_view kNothingToClose = "没有可断开的连接。";
constexpr std::string_view kNoRange = "缺少访问范围参数。";
constexpr std::string_view kBadRange = "访问范围不正确。";
constexpr std::string_view kBadOperation = "不支持的操作。";
constexpr std::string_view kWelcome = "欢迎使用校园网。";

constexpr std::string_view kRangePaid = "1";
constexpr std::string_view kRangeFree = "2";

std::vector<AnswerEntry> Refusal(std::string_view reason) {
    return {{"SUCCESS", "NO"}, {"REASON", platform::GbkFromLiteral(reason)}};
}

std::string YesNo(bool flag) {
    return flag ? "YES" : "NO";
}

} // namespace

CGatewayService::CGatewayService(CAccountBook& book) : m_book(book) {}

std::string CGatewayService::Respond(std::string_view head, std::string_view peerAddress) {
    const ParsedRequest parsed = ParseGatewayRequest(head);
    switch (parsed.problem) {
    case RequestProblem::BadRequest:
        return BuildHttpResponse("400 Bad Request", "bad request\n");
    case RequestProblem::NotFound:
        return BuildHttpResponse("404 Not Found", "not found\n");
    case RequestProblem::None:
        break;
    }
    return BuildHttpResponse("200 OK", FormatAnswerBody(Answer(parsed.request, peerAddress)));
}

std::vector<AnswerEntry> CGatewayService::Answer(const GatewayRequest& request,
                                                 std::string_view peerAddress) {
    const Account* account = request.uid && request.password
                                 ? m_book.Authenticate(*request.uid, *request.password)
                                 : nullptr;
    if (account == nullptr) {
        return Refusal(kWrongPassword);
    }
    const std::string operation = request.operation.value_or("");
    if (operation == "connect") {
        return Connect(*account, request.range, peerAddress);
    }
    if (operation == "disconnect") {
        return Disconnect(*account);
    }
    if (operation == "disconnectall") {
        return DisconnectAll(*account);
    }
    return Refusal(kBadOperation);
}

std::vector<AnswerEntry> CGatewayService::Connect(const Account& account,
                                                  const std::optional<std::string>& range,
                                                  std::string_view peerAddress) {
    if (!range || range->empty()) {
        return Refusal(kNoRange);
    }
    if (*range != kRangePaid && *range != kRangeFree) {
        return Refusal(kBadRange);
    }
    const bool paid = *range == kRangePaid;
    if (paid && !account.paidAddresses) {
        return Refusal(kNoPaidRight);
    }
    const std::optional<int> count = m_book.OpenConnection(account);
    if (!count) {
        return Refusal(kTooManyConnections);
    }
    std::vector<AnswerEntry> entries{
        {"SUCCESS", "YES"},
        {"USERNAME", account.name},
        {"FIXRATE", YesNo(account.package.has_value())},
    };
    if (account.package) {
        entries.push_back({"FR_DESC_CN", *account.package});
    }
    if (account.timeUsed) {
        entries.push_back({"FR_TIME", *account.timeUsed});
    }
    entries.push_back({"SCOPE", paid ? "international" : "domestic"});
    entries.push_back({"DEFICIT", YesNo(account.arrearsMode)});
    entries.push_back({"CONNECTIONS", std::to_string(*count)});
    entries.push_back({"BALANCE", account.balance});
    entries.push_back({"IP", std::string(peerAddress)});
    entries.push_back({"MESSAGE", platform::GbkFromLiteral(kWelcome)});
    return entries;
}

std::vector<AnswerEntry> CGatewayService::Disconnect(const Account& account) {
    const std::optional<int> count = m_book.CloseConnection(account);
    if (!count) {
        return Refusal(kNothingToClose);
    }
    return {{"SUCCESS", "YES"}, {"CONNECTIONS", std::to_string(*count)}};
}

std::vector<AnswerEntry> CGatewayService::DisconnectAll(const Account& account) {
    m_book.CloseAllConnections(account);
    return {{"SUCCESS", "YES"}, {"CONNECTIONS", "0"}};
}

} // namespace gatewayd
