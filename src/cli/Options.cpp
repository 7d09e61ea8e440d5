#include "cli/Options.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string_view>

namespace cli {
namespace {

constexpr const char* kUsage =
    R"(Usage: vornctl [--workdir DIR] [--gateway HOST[:PORT]] COMMAND [OPTIONS]

Opens and closes connections at the campus network gateway.

Commands:
  connect -u USER [PASSWORD] [--range free|paid]
                      open a connection for USER and show its status
  disconnect -u USER [PASSWORD] [--range free|paid]
                      close this machine's connection
  disconnect-all -u USER [PASSWORD]
                      close every connection of USER

Password (one of):
  -p, --password PASS read it from the command line (visible to other users)
  --password-stdin    read it as one line from standard input
                      without either, it is asked for on the terminal

Options:
  --workdir DIR       folder that holds ca.cer (default: the current folder)
  --gateway HOST[:PORT]
                      gateway server and TLS port (default port 5428)
  --range free|paid   free addresses only (default), or free and paid
  -h, --help          show this help

Exit status:
  0   success
  1   wrong or missing password      2   missing user name
  3   no access range                4   any other failure
  5   too many open connections      6   no right to paid addresses
  64  the command line is not usable
)";

const std::map<std::string_view, Command> kCommands = {
    {"connect", Command::Connect},
    {"disconnect", Command::Disconnect},
    {"disconnect-all", Command::DisconnectAll},
};

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

// Splits HOST[:PORT]; an IPv6 address is written in brackets.
bool ParseGateway(std::string_view text, Options& options) {
    size_t hostEnd = text.size();
    if (text.starts_with('[')) {
        hostEnd = text.find(']');
        if (hostEnd == std::string_view::npos) {
            return false;
        }
        ++hostEnd;
    } else if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
        hostEnd = colon;
    }
    const std::string_view host = text.substr(0, hostEnd);
    if (host.empty() || host == "[]") {
        return false;
    }
    options.gatewayHost = std::string(host);
    if (hostEnd == text.size()) {
        return true;
    }
    if (text[hostEnd] != ':') {
        return false;
    }
    options.gatewayPort = ParsePort(text.substr(hostEnd + 1));
    return options.gatewayPort.has_value();
}

class CCommandLineReader {
public:
    explicit CCommandLineReader(const std::vector<std::string>& arguments)
        : m_arguments(arguments) {}

    ParsedCommandLine Read() {
        if (std::find_if(m_arguments.begin(), m_arguments.end(), IsHelp) != m_arguments.end()) {
            m_parsed.help = true;
            return m_parsed;
        }
        bool haveCommand = false;
        bool haveUser = false;
        bool havePassword = false;
        bool haveRange = false;
        while (m_next < m_arguments.size() && m_parsed.error.empty()) {
            const std::string& argument = m_arguments[m_next++];
            Options& options = m_parsed.options;
            if (argument == "--workdir") {
                Value(argument, options.workdir);
            } else if (argument == "--gateway") {
                std::string gateway;
                if (Value(argument, gateway) && !ParseGateway(gateway, options)) {
                    Fail("--gateway wants HOST or HOST:PORT, not \"" + gateway + "\"");
                }
            } else if (!haveCommand && kCommands.contains(argument)) {
                options.command = kCommands.at(argument);
                haveCommand = true;
            } else if (haveCommand && (argument == "-u" || argument == "--user")) {
                haveUser = Value(argument, options.userName);
            } else if (haveCommand && (argument == "-p" || argument == "--password")) {
                havePassword = Once(havePassword, "password") && Value(argument, options.password);
                options.passwordSource = PasswordSource::Argument;
            } else if (haveCommand && argument == "--password-stdin") {
                havePassword = Once(havePassword, "password");
                options.passwordSource = PasswordSource::Stdin;
            } else if (haveCommand && argument == "--range") {
                haveRange = ReadRange(argument);
            } else {
                Fail(haveCommand ? "unknown option \"" + argument + "\""
                                 : "unknown command \"" + argument + "\"");
            }
        }
        if (m_parsed.error.empty()) {
            CheckComplete(haveCommand, haveUser, haveRange);
        }
        return m_parsed;
    }

private:
    static bool IsHelp(const std::string& argument) {
        return argument == "-h" || argument == "--help";
    }

    bool Value(const std::string& option, std::string& value) {
        if (m_next >= m_arguments.size()) {
            Fail(option + " needs a value");
            return false;
        }
        value = m_arguments[m_next++];
        return true;
    }

    bool Once(bool given, const std::string& what) {
        if (given) {
            Fail("give the " + what + " only once");
        }
        return !given;
    }

    bool ReadRange(const std::string& option) {
        std::string range;
        if (!Value(option, range)) {
            return false;
        }
        if (range != "free" && range != "paid") {
            Fail("--range is free or paid, not \"" + range + "\"");
            return false;
        }
        m_parsed.options.range = range == "paid" ? Range::Paid : Range::Free;
        return true;
    }

    void CheckComplete(bool haveCommand, bool haveUser, bool haveRange) {
        if (!haveCommand) {
            Fail("no command given");
        } else if (!haveUser) {
            Fail("-u USER is required");
        } else if (haveRange && m_parsed.options.command == Command::DisconnectAll) {
            Fail("disconnect-all takes no --range");
        }
    }

    void Fail(std::string error) { m_parsed.error = std::move(error); }

    const std::vector<std::string>& m_arguments;
    std::size_t m_next = 0;
    ParsedCommandLine m_parsed;
};

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    return CCommandLineReader(arguments).Read();
}

const char* UsageText() {
    return kUsage;
}

} // namespace cli
