#include "gateway/Reconnect.h"

namespace gateway {

int Reconnect(CQELVORNClient& client, bool disconnectAllFirst) {
    if (disconnectAllFirst) {
        if (const int code = client.DisconnectAll(); code != RESULT_OK) {
            return code;
        }
    } else {
        [[maybe_unused]] const bool disconnected = client.Disconnect();
    }
    return client.Connect();
}

} // namespace gateway
