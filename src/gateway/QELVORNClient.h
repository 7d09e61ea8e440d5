#pragma once

#include "gateway/GatewayResult.h"
#include "gateway/GatewayServer.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace gateway {

inline constexpr int OP_CONNECT = 1;
inline constexpr int OP_DISCONNECT = 2;
inline constexpr int OP_DISCONNECTALL = 3;

// The longest user name and password, in GBK bytes, that the setters accept.
inline constexpr std::size_t kMaxUserNameLength = 19;
inline constexpr std::size_t kMaxPasswordLength = 49;

// Range kinds given to SetRange.
inline constexpr int RANGE_FREE = 1; // free addresses only
inline constexpr int RANGE_PAID = 2; // free and paid addresses

// The range characters of a request.
inline constexpr char kRangeFreeChar = '2';
inline constexpr char kRangePaidChar = '1';
inline constexpr char kRangeAllChar = '4'; // disconnect all, whatever the range

// Result codes of Connect and DisconnectAll.
// The answer block lies between these markers; nothing after the end marker is read.
inline constexpr std::string_view kAnswerStartMarker = "VORNCLIENT_START";
inline constexpr std::string_view kAnswerEndMarker = "VORNCLIENT_END";

inline constexpr int RESULT_OK = 0;
inline constexpr int RESULT_BAD_PASSWORD = -1;
inline constexpr int RESULT_NO_USER_NAME = -2;
inline constexpr int RESULT_NO_RANGE = -3;
inline constexpr int RESULT_FAILED = -4;
inline constexpr int RESULT_TOO_MANY_CONNECTIONS = -5;
inline constexpr int RESULT_NO_PAID_RIGHT = -6;

// The gateway client: the account parameters of the next request, the current message and
// the result of the last answer. It checks the parameters, runs the three operations
// through DoOperation, which a transport supplies, and maps their outcome to result codes.
// Texts are GBK byte text. One thread at a time may use an object.
class CQELVORNClient {
public:
    // The weak-password advisory is shown through messageBox, which must outlive the client.
    CQELVORNClient(GatewayServer server, platform::CMessageBox& messageBox);
    virtual ~CQELVORNClient() = default;
    CQELVORNClient(const CQELVORNClient&) = delete;
    CQELVORNClient& operator=(const CQELVORNClient&) = delete;

    // Store the next request's password (under 50 bytes) and user name (under 20 bytes).
    // A null or over-long text is refused: the message says which field, the old value stays.
    virtual bool SetPassword(const char* password);
    virtual bool SetUserName(const char* userName);

    // Stores RANGE_FREE or RANGE_PAID; any other kind is refused and the range kept.
    virtual bool SetRange(int rangeKind);

    // Opens a connection for the stored account and range. Answers a RESULT_ code; on
    // RESULT_OK the client believes it is connected, and the message is empty or holds the
    // weak-password advisory, which has then been shown.
    virtual int Connect();

    // The current message: a validation text, a transport or parse error, the server's reason.
    virtual std::string_view GetMessage() const;

    // Closes this connection with whatever account is stored, unchecked. Answers the
    // transport's result; on true the client no longer believes it is connected.
    virtual bool Disconnect();

    // Closes every connection of the stored account; the range is not needed. Answers
    // RESULT_OK, a validation code or RESULT_FAILED.
    virtual int DisconnectAll();

    // Runs one request and answer for op; true only when the answer reports success.
    virtual bool DoOperation(int op) = 0;

    // Copies the value of key in the answer block into value, which may hold valueSize
    // bytes with the terminating zero. On failure the message names the key.
    virtual bool GetValue(std::string_view block, std::string_view key, std::string& value,
                          std::size_t valueSize);

    // Checks that user name, password and, when rangeRequired, the range are given.
    // Answers RESULT_OK or the code of the first missing field, whose text is the message.
    int CheckParams(bool rangeRequired);

    // Shows the weak-password advisory when the stored password is weak, unless the
    // advisory is off.
    void CheckPasswordStrength();

    // Whether Connect and DisconnectAll show the weak-password advisory; on until turned
    // off. A reconnect made without the user turns it off: the user has seen it already.
    void SetPasswordAdvisory(bool on) { m_bAdvise = on; }
    bool PasswordAdvisory() const { return m_bAdvise; }

    bool IsConnected() const { return m_bConnected; }

    // Reads the answer of an operation into the result; true when it reports success and,
    // for a connect, every required key was read. On false the message says why.
    bool ParseResponse(std::string_view answer, bool isConnect);

    const GatewayResult& GetResult() const { return m_result; }
    const GatewayServer& GetServer() const { return m_server; }

protected:
    // Replaces the whole message; text longer than the buffer is cut at a character.
    void SetMessage(std::string_view text) { m_szMessage.AssignCut(text); }

    std::string_view UserName() const { return m_szUserName.View(); }
    std::string_view Password() const { return m_szPassword.View(); }
    char RangeChar() const { return m_cRange; }

private:
    template <std::size_t N>
    bool ReadField(std::string_view block, std::string_view key, platform::CFixedText<N>& field);
    bool ReadScratch(std::string_view block, std::string_view key, std::string& value);
    bool ParseConnectFields(std::string_view block);
    int ClassifyRefusal(int provisionalCode) const;

    GatewayServer m_server;
    platform::CMessageBox& m_messageBox;

    platform::CFixedText<21> m_szUserName;
    platform::CFixedText<51> m_szPassword;
    char m_cRange = 0; // kRangeFreeChar, kRangePaidChar, or 0 when not chosen
    platform::CFixedText<1024> m_szMessage;
    bool m_bConnected = false;
    bool m_bAdvise = true;
    GatewayResult m_result;
    std::string m_strLastUser; // the user name of the last Connect call
};

} // namespace gateway
