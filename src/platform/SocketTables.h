#pragma once

#include "platform/NetworkState.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One socket of a /proc/net/tcp or /proc/net/udp table, as the kernel states it.
struct SocketLine {
    Endpoint local;
    Endpoint remote;
    int state = 0; // the kernel's TCP_* state
};

// Parses the text of /proc/net/tcp or /proc/net/udp (a heading line, then one socket a
// line). Answers false with the reason when a line is not of that form; lines stays
// untouched then.
bool ParseSocketTable(std::string_view text, std::vector<SocketLine>& lines, std::string& error);

// The IPv4 TCP sockets of the calling thread's network namespace (/proc/thread-self/net/tcp)
// with their report states, sorted by local and then remote endpoint (addresses compared
// as numbers).
bool ReadTcpSockets(std::vector<TcpRow>& rows, std::string& error);

// The local endpoints of the IPv4 UDP sockets, sorted the same way.
bool ReadUdpSockets(std::vector<Endpoint>& rows, std::string& error);

} // namespace platform
