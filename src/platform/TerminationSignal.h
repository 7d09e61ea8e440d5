#pragma once

namespace platform {

// Turns SIGTERM into a readable byte on a pipe, so that an event loop can watch the pipe's
// read end and act outside the signal handler. The handler only writes one byte; nothing
// else runs in signal context. Answers the read end (non-blocking, close-on-exec), the same
// one on every call, or -1 when the pipe or the handler cannot be set up.
int WatchTerminationSignal();

// Reads every pending byte from the read end; answers whether there was any.
bool DrainTerminationSignal(int fd);

} // namespace platform
