#pragma once

#include "gateway/QELVORNClient.h"

namespace gateway {

// One reconnect of the account and range that client holds. The stale connection is
// disconnected first, its result not looked at (the gateway may have forgotten it already),
// or, with disconnectAllFirst, every connection of the account is; then Connect runs.
// Answers Connect's code, or DisconnectAll's when that failed and nothing was connected.
// The weak-password advisory is not shown again: the connect it renews has shown it.
int Reconnect(CQELVORNClient& client, bool disconnectAllFirst);

} // namespace gateway
