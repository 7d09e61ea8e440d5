#pragma once

#include "gateway/QELVORNClient.h"

#include <openssl/ssl.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace gateway {

struct TransportOptions {
    // The trusted certificates that the server's chain must verify against.
    std::filesystem::path trustFile = "ca.cer";
    // Bounds the host-name lookup, the connect with its handshake, the write, and each
    // read of an operation.
    std::chrono::milliseconds timeout = std::chrono::seconds(15);
    // "address:port" of the name servers to ask; empty for the system's.
    std::vector<std::string> nameServers;
};

// The gateway client over TLS. One TLS connect channel is made with the object and
// connected afresh for every operation: look the host up, connect and handshake, check the
// certificate verification result, send the request in one write, read the answer until the server
// closes, parse it, and reset the channel.
class CQELOpenSSLVORNClient final : public CQELVORNClient {
public:
    // Never fails outwardly: when the TLS context or the trust file cannot be set up, the
    // message says why and every later operation fails.
    CQELOpenSSLVORNClient(GatewayServer server, platform::CMessageBox& messageBox,
                          TransportOptions options = {});
    ~CQELOpenSSLVORNClient() override;

    // Runs one exchange for op (OP_CONNECT, OP_DISCONNECT or OP_DISCONNECTALL). Answers
    // true only when the answer arrived and reports success; otherwise the message says
    // why. Nothing waits longer than the time-out for one step.
    bool DoOperation(int op) override;

    // The complete request for op, built from the stored account parameters.
    std::string BuildRequest(int op) const;

    // Encodes text for the query: a space becomes "+", the URL delimiters "%XX".
    static std::string UrlEncode(std::string_view text);

private:
    using Deadline = std::chrono::steady_clock::time_point;
    enum class WaitResult { Ready, TimedOut, Failed, Closed };

    bool ConnectChannel();
    // Connects the channel to one address of the server, by deadline.
    bool ConnectTo(const std::string& address, Deadline deadline);
    bool CheckVerification();
    bool WriteRequest(const std::string& request);
    bool ReadAnswer(std::string& answer);
    // Waits until the channel's socket is ready for what its last call asked for.
    WaitResult WaitForChannel(Deadline deadline);
    Deadline NextDeadline() const;
    // Why a step failed: "timed out", the TLS library's error, or the system's.
    static std::string FailureText(WaitResult waited);

    TransportOptions m_options;
    std::string m_setupError; // why the channel could not be made, for every operation
    BIO* m_pBio = nullptr;
    SSL_CTX* m_pCtx = nullptr;
    SSL* m_pSsl = nullptr; // owned by m_pBio
};

} // namespace gateway
