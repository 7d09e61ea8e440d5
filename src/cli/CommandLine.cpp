#include "cli/CommandLine.h"

#include "cli/AccountsCommand.h"
#include "cli/AnnouncementsCommand.h"
#include "cli/ForgetCommand.h"
#include "cli/GatewayCommand.h"
#include "cli/GuardCommand.h"
#include "cli/KeepCommand.h"
#include "cli/ReportCommand.h"
#include "cli/WatchCommand.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace cli {
namespace {

constexpr const char* kDescription =
    "Opens and closes connections at the campus network gateway, keeps the saved\n"
    "accounts of the working directory, reports the network state, watches how far the\n"
    "network reaches, and keeps a connection open. Each command has its own --help.";

constexpr const char* kFooter = R"(Synopsis:
  connect -u USER [PASSWORD] [--range free|paid] [--save] [--remember-password]
          [--auto-logon]
  connect [--range free|paid]
  disconnect -u USER [PASSWORD] [--range free|paid]
  disconnect-all -u USER [PASSWORD]
  accounts
  forget NAME | forget --all
  announcements
  report
  guard [--once]
  watch [--seconds N]
  keep [-u USER [PASSWORD]] [--range free|paid] [--stay]

Password (one of):
  -p, --password PASS read it from the command line (visible to other users)
  --password-stdin    read it as one line from standard input
                      without either, it is asked for on the terminal

Exit status:
  0   success
  1   wrong or missing password, or (connect without -u) unreadable settings
  2   missing user name, or no default account
  3   no access range                4   any other failure
  5   too many open connections      6   no right to paid addresses
  64  the command line is not usable
  disconnect-all: 1 missing password, 2 missing user name, 4 any refusal by the
  server (a wrong password included) and any other failure
  accounts and forget: 0 success, 1 the settings could not be read or saved, or
  there is no such account
  announcements: 0 the document was downloaded, 4 it was not
  report: 0 nsr.txt was written (a part that could not be read is a warning),
  4 it could not be written
  guard: 0 the gateway is pinned, 3 it was not pinned, 4 a step failed, 1 this
  process cannot change the neighbour table
  watch: 0 ended by SIGINT, SIGTERM or --seconds, 1 the settings could not be read,
  4 the settings name no usable heartbeat server
  keep: as connect for the first connect, 1 the settings could not be read, 4 no
  usable heartbeat server or the last disconnect failed; after SIGINT or SIGTERM 0,
  or the connect status of the refusal that ended the reconnects (1, 2, 3 or 6)
  Control characters in the server's text are shown escaped, as \x1b.)";

constexpr const char* kSubcommandFooter = "Exit status: see 'vornctl --help'.";

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

// Splits HOST[:PORT]; an IPv6 address is written in brackets.
bool ParseGateway(std::string_view text, GlobalOptions& options) {
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

} // namespace

// To add a subcommand: write a class deriving from CSubcommand in its own file pair
// src/cli/<Name>Command.{h,cpp} (Register adds its options to the parent App, Run does
// the work through the CCommandContext), add the .cpp to src/cli/CMakeLists.txt, and add
// one line below. The order here is the order of the help's list.
CCommandLine::CCommandLine() : m_app(kDescription, "vornctl") {
    AddGlobalOptions();
    Add(std::make_unique<CGatewayCommand>(CGatewayCommand::Action::Connect));
    Add(std::make_unique<CGatewayCommand>(CGatewayCommand::Action::Disconnect));
    Add(std::make_unique<CGatewayCommand>(CGatewayCommand::Action::DisconnectAll));
    Add(std::make_unique<CAccountsCommand>());
    Add(std::make_unique<CForgetCommand>());
    Add(std::make_unique<CAnnouncementsCommand>());
    Add(std::make_unique<CReportCommand>());
    Add(std::make_unique<CGuardCommand>());
    Add(std::make_unique<CWatchCommand>());
    Add(std::make_unique<CKeepCommand>());
}

void CCommandLine::AddGlobalOptions() {
    m_app.footer(kFooter);
    m_app.require_subcommand(0, 1);
    // The global options may also follow the subcommand.
    m_app.fallthrough();
    m_app
        .add_option("--workdir", m_global.workdir,
                    "folder of ca.cer and the settings (default: $XDG_DATA_HOME/vornclient\n"
                    "when installed, the current one in a build tree)")
        ->type_name("DIR");
    m_app
        .add_option_function<std::string>(
            "--gateway",
            [this](const std::string& gateway) {
                if (!ParseGateway(gateway, m_global)) {
                    m_globalInvalid = true;
                    throw CLI::ValidationError("--gateway wants HOST or HOST:PORT, not \"" +
                                               gateway + "\"");
                }
            },
            "gateway server and TLS port, over the settings' Server element")
        ->type_name("HOST[:PORT]");
}

void CCommandLine::Add(std::unique_ptr<CSubcommand> command) {
    CLI::App* app = command->Register(m_app);
    if (app->get_footer() == kFooter) {
        app->footer(kSubcommandFooter);
    }
    m_commands.emplace_back(app, std::move(command));
}

CSubcommand* CCommandLine::Chosen() const {
    const std::vector<CLI::App*> chosen = m_app.get_subcommands();
    if (chosen.empty()) {
        return nullptr;
    }
    const auto found = std::find_if(m_commands.begin(), m_commands.end(),
                                    [&](const auto& entry) { return entry.first == chosen[0]; });
    return found == m_commands.end() ? nullptr : found->second.get();
}

ParsedCommandLine CCommandLine::Parse(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        m_app.parse(reversed);
        parsed.command = Chosen();
        if (parsed.command == nullptr) {
            parsed.error = "no command given";
        }
    } catch (const CLI::CallForHelp&) {
        parsed.help = m_app.help();
        return parsed;
    } catch (const CLI::ParseError& error) {
        parsed.error = UsageError(error);
    }
    if (!parsed.error.empty()) {
        const std::vector<CLI::App*> chosen = m_app.get_subcommands();
        const bool top = chosen.empty() || m_globalInvalid;
        parsed.hint = "Try 'vornctl " + (top ? "" : chosen[0]->get_name() + " ") + "--help'.";
        parsed.command = nullptr;
    }
    return parsed;
}

// The library's words, except where an argument it did not expect is a command or an option
// the user may have mistyped.
std::string CCommandLine::UsageError(const CLI::ParseError& error) const {
    const std::vector<std::string> unexpected = m_app.remaining(true);
    if (dynamic_cast<const CLI::ExtrasError*>(&error) == nullptr || unexpected.empty()) {
        return error.what();
    }
    const std::string& first = unexpected.front();
    if (m_app.get_subcommands().empty()) {
        return "unknown command \"" + first + "\"";
    }
    return (first.starts_with('-') ? "unknown option \"" : "unexpected argument \"") + first + "\"";
}

} // namespace cli
