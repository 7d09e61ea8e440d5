#include "platform/SocketTables.h"

#include "platform/BinaryFile.h"
#include "platform/ReportCodes.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>
#include <tuple>
#include <utility>

namespace platform {
namespace {

// A few hundred thousand sockets; a table past this is refused rather than read.
constexpr std::size_t kMaxTableBytes = std::size_t{64} << 20;

std::string_view NextWord(std::string_view& line) {
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const std::size_t end = std::min(line.find(' '), line.size());
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end);
    return word;
}

template <typename Number>
bool ParseHex(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value, 16);
    return failure == std::errc() && stop == end && !text.empty();
}

// "0100007F:1F90": the address as the kernel prints the 32-bit value it holds in network
// order, so the parsed number has the address's bytes in memory order; the port in host
// order.
bool ParseEndpoint(std::string_view text, Endpoint& endpoint) {
    const std::size_t colon = text.find(':');
    return colon == 8 && ParseHex(text.substr(0, colon), endpoint.address) &&
           ParseHex(text.substr(colon + 1), endpoint.port);
}

bool ParseLine(std::string_view line, SocketLine& socket) {
    NextWord(line); // the slot number
    return ParseEndpoint(NextWord(line), socket.local) &&
           ParseEndpoint(NextWord(line), socket.remote) && ParseHex(NextWord(line), socket.state);
}

auto SortKey(const Endpoint& endpoint) {
    return std::make_tuple(ntohl(endpoint.address), endpoint.port);
}

bool ReadTable(const char* path, std::vector<SocketLine>& lines, std::string& error) {
    std::string text;
    if (ReadFileUpTo(path, kMaxTableBytes, text) != ReadFileStatus::Ok) {
        error = std::string("cannot read ") + path + ": " + std::generic_category().message(errno);
        return false;
    }
    if (!ParseSocketTable(text, lines, error)) {
        error = std::string(path) + ": " + error;
        return false;
    }
    return true;
}

} // namespace

bool ParseSocketTable(std::string_view text, std::vector<SocketLine>& lines, std::string& error) {
    std::vector<SocketLine> parsed;
    bool heading = true;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (std::exchange(heading, false) ||
            line.find_first_not_of(' ') == std::string_view::npos) {
            continue;
        }
        SocketLine socket;
        if (!ParseLine(line, socket)) {
            error = "a socket line is not understood: " + std::string(line.substr(0, 80));
            return false;
        }
        parsed.push_back(socket);
    }
    lines = std::move(parsed);
    return true;
}

bool ReadTcpSockets(std::vector<TcpRow>& rows, std::string& error) {
    std::vector<SocketLine> lines;
    if (!ReadTable("/proc/thread-self/net/tcp", lines, error)) {
        return false;
    }
    std::vector<TcpRow> read;
    read.reserve(lines.size());
    for (const SocketLine& line : lines) {
        read.push_back({line.local, line.remote, ReportTcpState(line.state)});
    }
    std::sort(read.begin(), read.end(), [](const TcpRow& left, const TcpRow& right) {
        return std::tuple_cat(SortKey(left.local), SortKey(left.remote)) <
               std::tuple_cat(SortKey(right.local), SortKey(right.remote));
    });
    rows = std::move(read);
    return true;
}

bool ReadUdpSockets(std::vector<Endpoint>& rows, std::string& error) {
    std::vector<SocketLine> lines;
    if (!ReadTable("/proc/thread-self/net/udp", lines, error)) {
        return false;
    }
    std::vector<Endpoint> read;
    read.reserve(lines.size());
    for (const SocketLine& line : lines) {
        read.push_back(line.local);
    }
    std::sort(read.begin(), read.end(), [](const Endpoint& left, const Endpoint& right) {
        return SortKey(left) < SortKey(right);
    });
    rows = std::move(read);
    return true;
}

} // namespace platform
