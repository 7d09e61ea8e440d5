#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Connect, Disconnect, DisconnectAll };
enum class PasswordSource { Argument, Stdin, Terminal };
enum class Range { Free, Paid };

// What one invocation of vornctl asks for. Texts are UTF-8, as typed.
struct Options {
    std::string workdir;                    // empty: the current directory
    std::optional<std::string> gatewayHost; // from --gateway
    std::optional<std::uint16_t> gatewayPort;
    Command command = Command::Connect;
    std::string userName;
    PasswordSource passwordSource = PasswordSource::Terminal;
    std::string password; // with PasswordSource::Argument
    Range range = Range::Free;
};

// The outcome of reading the command line: options, a request for help, or a usage error.
struct ParsedCommandLine {
    Options options;
    bool help = false;
    std::string error; // empty unless the command line is unusable
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The --help text.
const char* UsageText();

} // namespace cli
