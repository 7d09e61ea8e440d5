#include "gateway/Reconnect.h"

namespace gateway {
namespace {

int DisconnectThenConnect(CQELVORNClient& client, bool disconnectAllFirst) {
    if (disconnectAllFirst) {
        if (const int code = client.DisconnectAll(); code != RESULT_OK) {
            return code;
        }
    } else {
        [[maybe_unused]] const bool disconnected = client.Disconnect();
    }
    return client.Connect();
}

} // namespace

int Reconnect(CQELVORNClient& client, bool disconnectAllFirst) {
    const bool advise = client.PasswordAdvisory();
    client.SetPasswordAdvisory(false);
    const int code = DisconnectThenConnect(client, disconnectAllFirst);
    client.SetPasswordAdvisory(advise);
    return code;
}

} // namespace gateway
