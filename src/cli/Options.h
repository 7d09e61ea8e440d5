#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Connect, Disconnect, DisconnectAll, Accounts, Forget };
enum class PasswordSource { Argument, Stdin, Terminal };
enum class Range { Free, Paid };

// Whether command talks to the gateway server (and needs an account).
bool IsGatewayCommand(Command command);

// What one invocation of vornctl asks for. Texts are UTF-8, as typed.
struct Options {
    std::string workdir;                    // empty: the current directory
    std::optional<std::string> gatewayHost; // from --gateway
    std::optional<std::uint16_t> gatewayPort;
    Command command = Command::Connect;

    // The account of a gateway command; a connect without one uses the default account.
    std::optional<std::string> userName;
    PasswordSource passwordSource = PasswordSource::Terminal;
    std::string password;       // with PasswordSource::Argument
    std::optional<Range> range; // not given: free, or the default account's saved range

    // What a successful connect remembers. Each implies the one before it.
    bool save = false;
    bool rememberPassword = false;
    bool autoLogon = false;

    // forget: one saved account, or all of them.
    std::string forgetName;
    bool forgetAll = false;
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
