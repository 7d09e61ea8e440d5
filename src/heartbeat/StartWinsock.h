#pragma once

namespace heartbeat {

// Readies the socket layer for the probes. BSD sockets need no start-up, so this always
// answers true; it stays so that start-up reads as it does on every platform.
bool StartWinsock();

} // namespace heartbeat
