#pragma once

#include <filesystem>

namespace platform {

// Makes a write to a connection that the peer has closed fail with EPIPE instead of
// ending the process. TLS libraries write on sockets with plain write(), so every program
// that talks to the network calls this once at start.
void IgnoreBrokenPipe();

// The folder that holds the running program, where the installation's own files lie.
// Empty when the system cannot tell.
std::filesystem::path ProgramDirectory();

// The running program's own absolute path; empty when the system cannot tell.
std::filesystem::path ProgramPath();

} // namespace platform
