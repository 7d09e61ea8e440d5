#include "gateway/QELOpenSSLVORNClient.h"

#include "platform/HostResolver.h"
#include "platform/Process.h"
#include "resources/StringTable.h"

#include <openssl/err.h>
#include <poll.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

namespace gateway {
namespace {

// The answer block must lie within this many bytes; the rest of a longer answer is not read.
constexpr std::size_t kAnswerCapacity = 4096;

constexpr std::string_view kTimedOut = "timed out";

bool IsEncodedByte(unsigned char byte) {
    return (byte >= 0x21 && byte <= 0x29) || byte == 0x2B || byte == 0x2C || byte == 0x2F ||
           byte == 0x3A || byte == 0x3B || byte == 0x3D || byte == 0x3F ||
           (byte >= 0x5B && byte <= 0x5E) || byte == 0x60 || (byte >= 0x7B && byte <= 0x7E);
}

std::string_view OperationParameter(int op) {
    switch (op) {
    case OP_CONNECT:
        return "&operation=connect";
    case OP_DISCONNECT:
        return "&operation=disconnect";
    case OP_DISCONNECTALL:
        return "&operation=disconnectall";
    default:
        return {};
    }
}

// The text of the oldest error the TLS library has queued, or fallback when there is none.
std::string LibraryErrorText(std::string_view fallback) {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) {
        return std::string(fallback);
    }
    std::array<char, 256> text{};
    ERR_error_string_n(code, text.data(), text.size());
    return text.data();
}

// Puts the channel back to unconnected, with the same target, however an operation ends.
class CChannelReset {
public:
    explicit CChannelReset(BIO* bio) : m_bio(bio) {}
    ~CChannelReset() { BIO_reset(m_bio); }
    CChannelReset(const CChannelReset&) = delete;
    CChannelReset& operator=(const CChannelReset&) = delete;

private:
    BIO* m_bio;
};

} // namespace

CQELOpenSSLVORNClient::CQELOpenSSLVORNClient(GatewayServer server,
                                             platform::CMessageBox& messageBox,
                                             TransportOptions options)
    : CQELVORNClient(std::move(server), messageBox), m_options(std::move(options)) {
    platform::IgnoreBrokenPipe();
    OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);

    m_pCtx = SSL_CTX_new(TLS_client_method());
    if (m_pCtx == nullptr) {
        m_setupError = LibraryErrorText("cannot create the TLS context");
        SetMessage(m_setupError);
        return;
    }
    // Without the trust file every chain fails to verify, which each operation reports.
    if (SSL_CTX_load_verify_locations(m_pCtx, m_options.trustFile.c_str(), nullptr) != 1) {
        SetMessage(LibraryErrorText("cannot load the trusted certificates"));
    }
    m_pBio = BIO_new_ssl_connect(m_pCtx);
    if (m_pBio == nullptr || BIO_get_ssl(m_pBio, &m_pSsl) != 1 || m_pSsl == nullptr) {
        m_setupError = LibraryErrorText("cannot create the TLS channel");
        SetMessage(m_setupError);
        return;
    }
    SSL_set_mode(m_pSsl, SSL_MODE_AUTO_RETRY);
    // Non-blocking, so that every step waits in poll() and is bounded by the time-out; and
    // without Nagle's delay, which would hold the request back behind the handshake's last
    // record until the server's delayed acknowledgement.
    BIO_set_conn_mode(m_pBio, BIO_SOCK_NONBLOCK | BIO_SOCK_NODELAY);
}

CQELOpenSSLVORNClient::~CQELOpenSSLVORNClient() {
    BIO_free_all(m_pBio);
    SSL_CTX_free(m_pCtx);
}

bool CQELOpenSSLVORNClient::DoOperation(int op) {
    if (m_pBio == nullptr) {
        SetMessage(m_setupError);
        return false;
    }
    ERR_clear_error();
    const CChannelReset reset(m_pBio);
    std::string answer;
    if (!ConnectChannel() || !CheckVerification() || !WriteRequest(BuildRequest(op)) ||
        !ReadAnswer(answer)) {
        return false;
    }
    return ParseResponse(answer, op == OP_CONNECT);
}

bool CQELOpenSSLVORNClient::ConnectChannel() {
    std::vector<std::string> addresses;
    std::string ignored;
    const platform::CHostResolver resolver(m_options.nameServers);
    if (resolver.Resolve(GetServer().host, m_options.timeout, addresses, ignored) ==
        platform::CHostResolver::Result::Resolved) {
        const Deadline deadline = NextDeadline();
        for (const std::string& address : addresses) {
            if (ConnectTo(address, deadline)) {
                return true;
            }
            BIO_reset(m_pBio);
        }
    }
    ERR_clear_error();
    SetMessage(resources::LoadResString(resources::IDS_NETWORK_PROBLEM));
    return false;
}

bool CQELOpenSSLVORNClient::ConnectTo(const std::string& address, Deadline deadline) {
    const std::string port = std::to_string(GetServer().tlsPort);
    const std::string target =
        address.find(':') == std::string::npos ? address + ":" + port : "[" + address + "]:" + port;
    if (BIO_set_conn_hostname(m_pBio, target.c_str()) != 1) {
        return false;
    }
    while (BIO_do_connect(m_pBio) <= 0) {
        if (!BIO_should_retry(m_pBio) || WaitForChannel(deadline) != WaitResult::Ready) {
            return false;
        }
    }
    return true;
}

bool CQELOpenSSLVORNClient::CheckVerification() {
    const long result = SSL_get_verify_result(m_pSsl);
    if (result == X509_V_OK) {
        return true;
    }
    std::array<char, 64> detail{};
    std::snprintf(detail.data(), detail.size(), " errorcode=%ld depth=%d", result,
                  SSL_get_verify_depth(m_pSsl));
    SetMessage(std::string(resources::LoadResString(resources::IDS_INVALID_CERTIFICATE)) +
               detail.data());
    return false;
}

bool CQELOpenSSLVORNClient::WriteRequest(const std::string& request) {
    const Deadline deadline = NextDeadline();
    for (;;) {
        // Without partial writes, one TLS write sends all of the request or nothing.
        if (BIO_write(m_pBio, request.data(), static_cast<int>(request.size())) > 0) {
            return true;
        }
        const WaitResult waited =
            BIO_should_retry(m_pBio) ? WaitForChannel(deadline) : WaitResult::Failed;
        if (waited != WaitResult::Ready) {
            SetMessage("Error:write:BIO_should_retry:" + FailureText(waited));
            return false;
        }
    }
}

bool CQELOpenSSLVORNClient::ReadAnswer(std::string& answer) {
    std::array<char, kAnswerCapacity> buffer{};
    std::size_t held = 0;
    // Nothing after the end marker is used, so a server that keeps the connection open
    // after its answer is not waited for.
    while (held < buffer.size() &&
           std::string_view(buffer.data(), held).find(kAnswerEndMarker) == std::string_view::npos) {
        const int got =
            BIO_read(m_pBio, buffer.data() + held, static_cast<int>(buffer.size() - held));
        if (got > 0) {
            held += static_cast<std::size_t>(got);
            continue;
        }
        const WaitResult waited =
            BIO_should_retry(m_pBio) ? WaitForChannel(NextDeadline()) : WaitResult::Closed;
        if (waited == WaitResult::Ready) {
            continue;
        }
        // The server closed, or went quiet or failed after sending something: what it sent
        // is the answer.
        if (held > 0) {
            break;
        }
        SetMessage("Error:read:" + FailureText(waited) + "\n");
        return false;
    }
    ERR_clear_error();
    answer.assign(buffer.data(), held);
    return true;
}

CQELOpenSSLVORNClient::WaitResult CQELOpenSSLVORNClient::WaitForChannel(Deadline deadline) {
    int fd = -1;
    if (BIO_get_fd(m_pBio, &fd) < 0 || fd < 0) {
        return WaitResult::Failed;
    }
    short events = 0;
    if (BIO_should_read(m_pBio)) {
        events |= POLLIN;
    }
    // A connect in progress completes when the socket becomes writable.
    if (BIO_should_write(m_pBio) || BIO_should_io_special(m_pBio)) {
        events |= POLLOUT;
    }
    pollfd watched{fd, events, 0};
    for (;;) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            return WaitResult::TimedOut;
        }
        const int ready = poll(&watched, 1, static_cast<int>(remaining.count()));
        if (ready > 0) {
            return WaitResult::Ready;
        }
        if (ready == 0) {
            return WaitResult::TimedOut;
        }
        if (errno != EINTR) {
            return WaitResult::Failed;
        }
    }
}

CQELOpenSSLVORNClient::Deadline CQELOpenSSLVORNClient::NextDeadline() const {
    return std::chrono::steady_clock::now() + m_options.timeout;
}

std::string CQELOpenSSLVORNClient::FailureText(WaitResult waited) {
    if (waited == WaitResult::TimedOut) {
        ERR_clear_error();
        return std::string(kTimedOut);
    }
    const std::string fallback = waited == WaitResult::Closed
                                     ? "the server closed the connection"
                                     : std::error_code(errno, std::generic_category()).message();
    return LibraryErrorText(fallback);
}

std::string CQELOpenSSLVORNClient::BuildRequest(int op) const {
    const GatewayServer& server = GetServer();
    std::string request = "GET https://" + server.TlsAuthority() + "/vornofqel?";
    request += "uid=";
    request += UserName();
    request += "&password=" + UrlEncode(Password());
    request += "&range=";
    // An unchosen range is sent empty rather than as a zero byte.
    const char range = op == OP_DISCONNECTALL ? kRangeAllChar : RangeChar();
    if (range != 0) {
        request += range;
    }
    request += OperationParameter(op);
    request += "&timeout=1";
    request += "\nHost:" + server.host;
    request += "\nUser-Agent:Mozilla/4.04[en](Win95;I;Nav)";
    request += "\nPragma:no-cache";
    request += "\nCache-Control:no-cache";
    request += "\n\n";
    return request;
}

std::string CQELOpenSSLVORNClient::UrlEncode(std::string_view text) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte == ' ') {
            encoded += '+';
        } else if (IsEncodedByte(byte)) {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        } else {
            encoded += character;
        }
    }
    return encoded;
}

} // namespace gateway
