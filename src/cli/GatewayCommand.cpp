#include "cli/GatewayCommand.h"

#include "cli/CommandContext.h"
#include "cli/SavedAccounts.h"
#include "cli/TerminalMessageBox.h"
#include "gateway/QELOpenSSLVORNClient.h"
#include "gateway/StatusRows.h"
#include "platform/Terminal.h"
#include "resources/StringTable.h"

#include <CLI/CLI.hpp>
#include <array>

namespace cli {
namespace {

inline constexpr int kExitDisconnectFailed = 4;

struct Wording {
    const char* name;
    const char* description;
};

// By CGatewayCommand::Action.
constexpr std::array<Wording, 3> kWordings = {{
    {"connect", "Open a connection and show its status."},
    {"disconnect", "Close this machine's connection."},
    {"disconnect-all", "Close every connection of USER."},
}};

constexpr const char* kConnectFooter =
    "The flags save the account after a successful connect; each implies the ones before\n"
    "it. Without -u, the default account connects with its remembered password and range.";

} // namespace

CLI::App* CGatewayCommand::Register(CLI::App& parent) {
    const Wording& wording = kWordings.at(static_cast<std::size_t>(m_action));
    CLI::App* command = parent.add_subcommand(wording.name, wording.description);
    AddAccountOptions(*command);
    if (m_action == Action::Connect) {
        AddConnectOptions(*command);
        command->footer(kConnectFooter);
    }
    return command;
}

void CGatewayCommand::AddAccountOptions(CLI::App& command) {
    CLI::Option* user =
        command.add_option("-u,--user", m_options.userName, "the account")->type_name("USER");
    if (m_action != Action::Connect) {
        user->required();
    }
    AddPasswordOptions(command);
    if (m_action != Action::DisconnectAll) {
        command
            .add_option_function<std::string>(
                "--range",
                [this](const std::string& range) {
                    m_options.range = range == "paid" ? Range::Paid : Range::Free;
                },
                "free addresses only (default), or free and paid")
            ->type_name("free|paid")
            ->check(CLI::IsMember({"free", "paid"}).description(""));
    }
    command.callback([this] { Check(); });
}

void CGatewayCommand::GiveAccount(gateway::CQELVORNClient& client, const config::UserInfo& account,
                                  Range range) {
    client.SetUserName(account.username.CStr());
    client.SetPassword(account.password.CStr());
    client.SetRange(range == Range::Paid ? gateway::RANGE_PAID : gateway::RANGE_FREE);
}

void CGatewayCommand::AddPasswordOptions(CLI::App& command) {
    CLI::Option* argument =
        command
            .add_option_function<std::string>(
                "-p,--password",
                [this](const std::string& password) {
                    m_options.password = password;
                    m_options.passwordSource = PasswordSource::Argument;
                },
                "the password, visible to other users (without it or --password-stdin it is "
                "asked for on the terminal)")
            ->type_name("PASS");
    command
        .add_flag_callback(
            "--password-stdin", [this] { m_options.passwordSource = PasswordSource::Stdin; },
            "read the password as one line from standard input")
        ->excludes(argument);
}

void CGatewayCommand::AddConnectOptions(CLI::App& command) {
    command.add_flag("--save", m_options.save, "save the account as the default account");
    command.add_flag("--remember-password", m_options.rememberPassword,
                     "also remember its password");
    command.add_flag("--auto-logon", m_options.autoLogon, "also log it on automatically");
}

void CGatewayCommand::Check() {
    m_options.rememberPassword = m_options.rememberPassword || m_options.autoLogon;
    m_options.save = m_options.save || m_options.rememberPassword;
    if (!m_options.userName &&
        (m_options.passwordSource != PasswordSource::Terminal || m_options.save)) {
        throw CLI::ValidationError("a connect without -u uses the default account; give -u "
                                   "USER with a password or --save");
    }
}

int CGatewayCommand::Run(CCommandContext& context) {
    config::UserInfo account;
    Range range = Range::Free;
    if (const int status = ChooseAccount(context, account, range); status != 0) {
        return status;
    }
    if (!context.Saved().IsOpen()) {
        context.Fail(0, "warning: " + context.Saved().Error());
    }
    CTerminalMessageBox messageBox(context.Err());
    gateway::CQELOpenSSLVORNClient client(context.ChooseServer(), messageBox);
    GiveAccount(client, account, range);

    switch (m_action) {
    case Action::Connect:
        if (const int code = client.Connect(); code != gateway::RESULT_OK) {
            return context.FailGbk(-code, client.GetMessage());
        }
        RememberAccount(context, account, range);
        context.PrintRows(gateway::ConnectedStatusRows(client.GetResult()));
        return 0;
    case Action::Disconnect:
        if (!client.Disconnect()) {
            return context.FailGbk(kExitDisconnectFailed, client.GetMessage());
        }
        context.PrintRows(gateway::DisconnectedStatusRows());
        return 0;
    default:
        if (const int code = client.DisconnectAll(); code != gateway::RESULT_OK) {
            return context.FailGbk(-code, client.GetMessage());
        }
        context.PrintGbk(resources::LoadResString(resources::IDS_ALL_DISCONNECTED));
        return 0;
    }
}

int CGatewayCommand::ChooseAccount(CCommandContext& context, config::UserInfo& account,
                                   Range& range) {
    range = m_options.range.value_or(Range::Free);
    if (m_options.userName) {
        std::string password;
        std::string gbk;
        if (!context.ToGbk("user name", *m_options.userName, gateway::kMaxUserNameLength, gbk) ||
            !account.username.Assign(gbk) || !ReadPassword(context, password) ||
            !context.ToGbk("password", password, gateway::kMaxPasswordLength, gbk) ||
            !account.password.Assign(gbk)) {
            return kExitUsage;
        }
        return 0;
    }
    CSavedAccounts& saved = context.Saved();
    if (!saved.IsOpen()) {
        return context.Fail(kExitSettingsFailed, saved.Error());
    }
    switch (saved.FindDefault(account)) {
    case CSavedAccounts::DefaultAccount::Found:
        if (!m_options.range && account.access == config::ACCESS_OVERALL) {
            range = Range::Paid;
        }
        return 0;
    case CSavedAccounts::DefaultAccount::NoPassword:
        return context.Fail(-gateway::RESULT_BAD_PASSWORD,
                            "the default account has no remembered password; give -u USER");
    default:
        return context.Fail(-gateway::RESULT_NO_USER_NAME,
                            "there is no default account; give -u USER");
    }
}

bool CGatewayCommand::ReadPassword(const CCommandContext& context, std::string& password) const {
    std::optional<std::string> read;
    switch (m_options.passwordSource) {
    case PasswordSource::Argument:
        password = m_options.password;
        return true;
    case PasswordSource::Stdin:
        read = platform::ReadLineFromStdin();
        break;
    case PasswordSource::Terminal:
        read = platform::ReadSecretFromTerminal("Password for " + m_options.userName.value_or("") +
                                                ": ");
        break;
    }
    if (!read) {
        context.Fail(kExitUsage, m_options.passwordSource == PasswordSource::Stdin
                                     ? "no password on standard input"
                                     : "no password given and no terminal to ask on (use -p or "
                                       "--password-stdin)");
        return false;
    }
    password = std::move(*read);
    return true;
}

// After a successful connect, as the connect flow saves the account when asked: the paid
// range is remembered only for an account that also logs on automatically.
void CGatewayCommand::RememberAccount(CCommandContext& context, const config::UserInfo& account,
                                      Range range) const {
    if (!m_options.save) {
        return;
    }
    config::UserInfo record;
    record.username = account.username;
    record.savePassword = m_options.rememberPassword;
    if (record.savePassword) {
        record.password = account.password;
    }
    record.access = m_options.autoLogon && range == Range::Paid ? config::ACCESS_OVERALL
                                                                : config::ACCESS_DOMESTIC;
    CSavedAccounts& saved = context.Saved();
    if (!saved.Remember(record, m_options.autoLogon)) {
        context.Fail(0, "warning: connected, but " + saved.Error());
    }
}

} // namespace cli
