#pragma once

namespace platform {

// Makes a write to a connection that the peer has closed fail with EPIPE instead of
// ending the process. TLS libraries write on sockets with plain write(), so every program
// that talks to the network calls this once at start.
void IgnoreBrokenPipe();

} // namespace platform
