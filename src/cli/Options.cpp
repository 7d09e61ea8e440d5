#include "cli/Options.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string_view>

namespace cli {
namespace {

constexpr const char* kUsage =
    R"(Usage: vornctl [--workdir DIR] [--gateway HOST[:PORT]] COMMAND [OPTIONS]

Opens and closes connections at the campus network gateway, and keeps the saved
accounts of the working directory.

Commands:
  connect -u USER [PASSWORD] [--range free|paid] [--save] [--remember-password]
          [--auto-logon]
                      open a connection for USER and show its status; the flags
                      save the account afterwards (each implies the ones before)
  connect [--range free|paid]
                      open a connection for the default account with its
                      remembered password and range
  disconnect -u USER [PASSWORD] [--range free|paid]
                      close this machine's connection
  disconnect-all -u USER [PASSWORD]
                      close every connection of USER
  accounts            list the saved accounts and the switches
  forget NAME         delete a saved account
  forget --all        delete every saved account

Password (one of):
  -p, --password PASS read it from the command line (visible to other users)
  --password-stdin    read it as one line from standard input
                      without either, it is asked for on the terminal

Options:
  --workdir DIR       folder of ca.cer and the settings (default: the current one)
  --gateway HOST[:PORT]
                      gateway server and TLS port, over the settings' Server element
  --range free|paid   free addresses only (default), or free and paid
  -h, --help          show this help

Exit status:
  0   success
  1   wrong or missing password      2   missing user name
  3   no access range                4   any other failure
  5   too many open connections      6   no right to paid addresses
  64  the command line is not usable
  accounts and forget: 0 success, 1 the settings could not be read or saved, or
  there is no such account
)";

const std::map<std::string_view, Command> kCommands = {
    {"connect", Command::Connect},
    {"disconnect", Command::Disconnect},
    {"disconnect-all", Command::DisconnectAll},
    {"accounts", Command::Accounts},
    {"forget", Command::Forget},
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
        while (m_next < m_arguments.size() && m_parsed.error.empty()) {
            ReadArgument(m_arguments[m_next++]);
        }
        if (m_parsed.error.empty()) {
            CheckComplete();
        }
        return m_parsed;
    }

private:
    static bool IsHelp(const std::string& argument) {
        return argument == "-h" || argument == "--help";
    }

    void ReadArgument(const std::string& argument) {
        Options& options = m_parsed.options;
        if (argument == "--workdir") {
            Value(argument, options.workdir);
        } else if (argument == "--gateway") {
            std::string gateway;
            if (Value(argument, gateway) && !ParseGateway(gateway, options)) {
                Fail("--gateway wants HOST or HOST:PORT, not \"" + gateway + "\"");
            }
        } else if (!m_haveCommand) {
            ReadCommand(argument);
        } else if (IsGatewayCommand(options.command)) {
            ReadGatewayOption(argument);
        } else if (options.command == Command::Forget) {
            ReadForgetArgument(argument);
        } else {
            Fail("accounts takes no arguments");
        }
    }

    void ReadCommand(const std::string& argument) {
        const auto found = kCommands.find(argument);
        if (found == kCommands.end()) {
            Fail("unknown command \"" + argument + "\"");
            return;
        }
        m_parsed.options.command = found->second;
        m_haveCommand = true;
    }

    void ReadGatewayOption(const std::string& argument) {
        Options& options = m_parsed.options;
        const bool connect = options.command == Command::Connect;
        if (argument == "-u" || argument == "--user") {
            std::string user;
            if (Value(argument, user)) {
                options.userName = user;
            }
        } else if (argument == "-p" || argument == "--password") {
            if (Once(m_havePassword, "password") && Value(argument, options.password)) {
                options.passwordSource = PasswordSource::Argument;
            }
        } else if (argument == "--password-stdin") {
            if (Once(m_havePassword, "password")) {
                options.passwordSource = PasswordSource::Stdin;
            }
        } else if (argument == "--range") {
            ReadRange(argument);
        } else if (connect && argument == "--save") {
            options.save = true;
        } else if (connect && argument == "--remember-password") {
            options.save = options.rememberPassword = true;
        } else if (connect && argument == "--auto-logon") {
            options.save = options.rememberPassword = options.autoLogon = true;
        } else {
            Fail("unknown option \"" + argument + "\"");
        }
    }

    void ReadForgetArgument(const std::string& argument) {
        Options& options = m_parsed.options;
        if (argument == "--all") {
            options.forgetAll = true;
        } else if (argument.starts_with('-') || !options.forgetName.empty()) {
            Fail("forget takes one NAME or --all");
        } else {
            options.forgetName = argument;
        }
    }

    bool Value(const std::string& option, std::string& value) {
        if (m_next >= m_arguments.size()) {
            Fail(option + " needs a value");
            return false;
        }
        value = m_arguments[m_next++];
        return true;
    }

    bool Once(bool& given, const std::string& what) {
        if (given) {
            Fail("give the " + what + " only once");
            return false;
        }
        given = true;
        return true;
    }

    void ReadRange(const std::string& option) {
        std::string range;
        if (!Value(option, range)) {
            return;
        }
        if (range != "free" && range != "paid") {
            Fail("--range is free or paid, not \"" + range + "\"");
            return;
        }
        m_parsed.options.range = range == "paid" ? Range::Paid : Range::Free;
    }

    void CheckComplete() {
        const Options& options = m_parsed.options;
        if (!m_haveCommand) {
            Fail("no command given");
        } else if (options.command == Command::Forget) {
            if (options.forgetAll == !options.forgetName.empty()) {
                Fail("forget takes one NAME or --all");
            }
        } else if (!IsGatewayCommand(options.command)) {
            return;
        } else if (!options.userName && options.command != Command::Connect) {
            Fail("-u USER is required");
        } else if (!options.userName && (m_havePassword || options.save)) {
            Fail("a connect without -u uses the default account; give -u USER with a password "
                 "or --save");
        } else if (options.range && options.command == Command::DisconnectAll) {
            Fail("disconnect-all takes no --range");
        }
    }

    void Fail(std::string error) { m_parsed.error = std::move(error); }

    const std::vector<std::string>& m_arguments;
    std::size_t m_next = 0;
    bool m_haveCommand = false;
    bool m_havePassword = false;
    ParsedCommandLine m_parsed;
};

} // namespace

bool IsGatewayCommand(Command command) {
    return command == Command::Connect || command == Command::Disconnect ||
           command == Command::DisconnectAll;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    return CCommandLineReader(arguments).Read();
}

const char* UsageText() {
    return kUsage;
}

} // namespace cli
