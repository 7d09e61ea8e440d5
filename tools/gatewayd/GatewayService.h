#pragma once

#include "tools/gatewayd/AccountBook.h"
#include "tools/gatewayd/GatewayProtocol.h"

#include <string>
#include <string_view>
#include <vector>

namespace gatewayd {

// What the gateway answers: it checks the account, applies connect, disconnect and
// disconnect all to the account book and says how it went. Knows nothing of sockets, so
// every listener can serve it. Every call may come from any thread.
class CGatewayService {
public:
    // book must outlive the service.
    explicit CGatewayService(CAccountBook& book);

    // The complete HTTP answer to one request head (see FindHeadEnd) from peerAddress: the
    // answer block with status 200, or 400 or 404 for what is no gateway request.
    std::string Respond(std::string_view head, std::string_view peerAddress);

    // The entries of the answer to request, from a client at peerAddress. A wrong account or
    // password is refused before anything else; a refusal is SUCCESS=NO with a REASON.
    std::vector<AnswerEntry> Answer(const GatewayRequest& request, std::string_view peerAddress);

private:
    std::vector<AnswerEntry> Connect(const Account& account,
                                     const std::optional<std::string>& range,
                                     std::string_view peerAddress);
    std::vector<AnswerEntry> Disconnect(const Account& account);
    std::vector<AnswerEntry> DisconnectAll(const Account& account);

    CAccountBook& m_book;
};

} // namespace gatewayd
