#include "gateway/QELVORNClient.h"

#include "platform/GbkCodec.h"
#include "platform/GbkText.h"
#include "resources/StringTable.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace gateway {
namespace {

constexpr std::size_t kMinStrongPasswordLength = 6;
constexpr std::size_t kScratchSize = 1024;

// The client's own texts, converted to GBK once.
struct Texts {
    std::string badAnswer = platform::GbkFromLiteral("返回值不正确");
    std::string keyNotFound = platform::GbkFromLiteral("响应中找不到关键字:");
    std::string bufferTooSmall = platform::GbkFromLiteral("缓冲区太小,在分析:");
    std::string bufferTooSmallEnd = platform::GbkFromLiteral("的时候");
    // Only the four characters before the full stop are compared.
    std::string wrongPassword = platform::GbkFromLiteral("口令错误.").substr(0, 8);
    std::string tooManyConnections = platform::GbkFromLiteral("当前连接数超过预定值");
    std::string noPaidRight = platform::GbkFromLiteral("没有访问收费地址的权限");
};

const Texts& GbkTexts() {
    static const Texts texts;
    return texts;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsOneByteRepeated(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [&](char byte) { return byte == text.front(); });
}

} // namespace

CQELVORNClient::CQELVORNClient(GatewayServer server, platform::CMessageBox& messageBox)
    : m_server(std::move(server)), m_messageBox(messageBox) {}

bool CQELVORNClient::SetPassword(const char* password) {
    if (password == nullptr || std::strlen(password) > kMaxPasswordLength) {
        SetMessage(resources::LoadResString(resources::IDS_ENTER_PASSWORD));
        return false;
    }
    return m_szPassword.Assign(password);
}

bool CQELVORNClient::SetUserName(const char* userName) {
    if (userName == nullptr || std::strlen(userName) > kMaxUserNameLength) {
        SetMessage(resources::LoadResString(resources::IDS_ENTER_USER_NAME));
        return false;
    }
    return m_szUserName.Assign(userName);
}

bool CQELVORNClient::SetRange(int rangeKind) {
    switch (rangeKind) {
    case RANGE_FREE:
        m_cRange = kRangeFreeChar;
        return true;
    case RANGE_PAID:
        m_cRange = kRangePaidChar;
        return true;
    default:
        SetMessage(resources::LoadResString(resources::IDS_CHOOSE_RANGE));
        return false;
    }
}

int CQELVORNClient::CheckParams(bool rangeRequired) {
    m_szMessage.Clear();
    if (m_szUserName.IsEmpty()) {
        m_szMessage.AppendCut(resources::LoadResString(resources::IDS_ENTER_USER_NAME));
        return RESULT_NO_USER_NAME;
    }
    if (m_szPassword.IsEmpty()) {
        m_szMessage.AppendCut(resources::LoadResString(resources::IDS_ENTER_PASSWORD));
        return RESULT_BAD_PASSWORD;
    }
    if (rangeRequired && m_cRange == 0) {
        m_szMessage.AppendCut(resources::LoadResString(resources::IDS_CHOOSE_RANGE));
        return RESULT_NO_RANGE;
    }
    return RESULT_OK;
}

int CQELVORNClient::Connect() {
    m_strLastUser = m_szUserName.View();
    if (const int code = CheckParams(true); code != RESULT_OK) {
        return code;
    }
    const int code = ClassifyRefusal(DoOperation(OP_CONNECT) ? RESULT_OK : RESULT_FAILED);
    if (code == RESULT_OK) {
        m_bConnected = true;
        CheckPasswordStrength();
    }
    return code;
}

// The server's refusals are told apart by the beginning of its reason alone.
int CQELVORNClient::ClassifyRefusal(int provisionalCode) const {
    const Texts& texts = GbkTexts();
    const std::string_view message = m_szMessage.View();
    if (StartsWith(message, texts.noPaidRight)) {
        return RESULT_NO_PAID_RIGHT;
    }
    if (StartsWith(message, texts.tooManyConnections)) {
        return RESULT_TOO_MANY_CONNECTIONS;
    }
    if (StartsWith(message, texts.wrongPassword)) {
        return RESULT_BAD_PASSWORD;
    }
    return provisionalCode;
}

std::string_view CQELVORNClient::GetMessage() const {
    return m_szMessage.View();
}

bool CQELVORNClient::Disconnect() {
    const bool done = DoOperation(OP_DISCONNECT);
    if (done) {
        m_bConnected = false;
    }
    return done;
}

int CQELVORNClient::DisconnectAll() {
    const std::string userName(m_szUserName.View());
    if (const int code = CheckParams(false); code != RESULT_OK) {
        return code;
    }
    if (!DoOperation(OP_DISCONNECTALL)) {
        return RESULT_FAILED;
    }
    if (m_bConnected && m_strLastUser == userName) {
        m_bConnected = false;
        CheckPasswordStrength();
    }
    return RESULT_OK;
}

void CQELVORNClient::CheckPasswordStrength() {
    if (!m_bAdvise) {
        return;
    }
    const std::string_view password = m_szPassword.View();
    const bool weak = password.size() < kMinStrongPasswordLength ||
                      password == m_szUserName.View() || IsOneByteRepeated(password);
    if (!weak) {
        return;
    }
    SetMessage(resources::FormatResString(resources::IDS_WEAK_PASSWORD, m_server.HomePage(),
                                          decltype(m_szMessage)::kMaxLength));
    m_messageBox.Inform(m_szMessage.View());
}

bool CQELVORNClient::GetValue(std::string_view block, std::string_view key, std::string& value,
                              std::size_t valueSize) {
    const size_t keyAt = platform::GbkFind(block, key);
    const size_t equalsAt =
        keyAt == std::string_view::npos ? keyAt : platform::GbkFind(block, "=", keyAt);
    const size_t spaceAt =
        equalsAt == std::string_view::npos ? equalsAt : platform::GbkFind(block, " ", equalsAt);
    if (spaceAt == std::string_view::npos) {
        SetMessage(GbkTexts().keyNotFound + std::string(key));
        return false;
    }
    const std::string_view found = block.substr(equalsAt + 1, spaceAt - equalsAt - 1);
    if (found.size() + 1 > valueSize) {
        SetMessage(GbkTexts().bufferTooSmall + std::string(key) + GbkTexts().bufferTooSmallEnd);
        return false;
    }
    value.assign(found);
    return true;
}

template <std::size_t N>
bool CQELVORNClient::ReadField(std::string_view block, std::string_view key,
                               platform::CFixedText<N>& field) {
    std::string value;
    return GetValue(block, key, value, N) && field.Assign(value);
}

bool CQELVORNClient::ReadScratch(std::string_view block, std::string_view key, std::string& value) {
    return GetValue(block, key, value, kScratchSize);
}

bool CQELVORNClient::ParseResponse(std::string_view answer, bool isConnect) {
    const size_t start = answer.find(kAnswerStartMarker);
    const size_t end = answer.find(kAnswerEndMarker);
    if (start == std::string_view::npos || end == std::string_view::npos) {
        SetMessage(GbkTexts().badAnswer);
        return false;
    }
    const size_t blockStart = start + kAnswerStartMarker.size();
    const std::string_view block =
        end > blockStart ? answer.substr(blockStart, end - blockStart) : std::string_view();

    std::string success;
    if (!ReadScratch(block, "SUCCESS", success)) {
        return false;
    }
    if (success != "YES") {
        m_result.m_bSuccess = false;
        // The reason becomes the message; without one, the message names the missing key.
        ReadField(block, "REASON", m_szMessage);
        return false;
    }
    m_result.m_bSuccess = true;
    return !isConnect || ParseConnectFields(block);
}

bool CQELVORNClient::ParseConnectFields(std::string_view block) {
    static constexpr std::string_view kNotAvailable = "N/A";
    std::string value;
    if (!ReadField(block, "USERNAME", m_result.m_szResUserName) ||
        !ReadScratch(block, "FIXRATE", value)) {
        return false;
    }
    m_result.m_bFixRate = value == "YES";
    if (m_result.m_bFixRate) {
        if (!ReadScratch(block, "FR_DESC_CN", value)) {
            return false;
        }
        m_result.m_szFixRateDesc.AssignCut(value);
    }
    // FR_TIME is optional: its absence must not leave a not-found text as the message.
    const std::string messageBefore(m_szMessage.View());
    if (ReadScratch(block, "FR_TIME", value)) {
        m_result.m_szFixRateTime.AssignCut(value);
    } else {
        m_result.m_szFixRateTime.AssignCut(kNotAvailable);
        SetMessage(messageBefore);
    }
    if (!ReadScratch(block, "SCOPE", value)) {
        return false;
    }
    m_result.m_bInternational = value != "domestic";
    if (!ReadScratch(block, "DEFICIT", value)) {
        return false;
    }
    m_result.m_bDeficit = value == "YES";
    return ReadField(block, "CONNECTIONS", m_result.m_szConnections) &&
           ReadField(block, "BALANCE", m_result.m_szBalance) &&
           ReadField(block, "IP", m_result.m_szResIP) &&
           ReadField(block, "MESSAGE", m_result.m_szServerMessage);
}

} // namespace gateway
