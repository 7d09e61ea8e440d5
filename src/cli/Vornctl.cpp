#include "cli/Vornctl.h"

#include "cli/GbkOutput.h"
#include "cli/SavedAccounts.h"
#include "cli/TerminalMessageBox.h"
#include "gateway/QELOpenSSLVORNClient.h"
#include "gateway/StatusRows.h"
#include "platform/GbkCodec.h"
#include "platform/Process.h"
#include "platform/Terminal.h"
#include "resources/StringTable.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace cli {
namespace {

void PrintRows(std::FILE* stream, const std::vector<gateway::StatusRow>& rows) {
    for (const gateway::StatusRow& row : rows) {
        PrintGbkLine(stream, row.label + "\t" + row.value);
    }
}

} // namespace

int CVornctl::Run(const std::vector<std::string>& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (parsed.help) {
        std::fputs(UsageText(), m_out);
        return 0;
    }
    if (!parsed.error.empty()) {
        return Fail(kExitUsage, parsed.error + "\nTry 'vornctl --help'.");
    }
    if (!EnterWorkdir(parsed.options.workdir)) {
        return kExitUsage;
    }
    CSavedAccounts saved(platform::ProgramDirectory() / "config.xml");
    return IsGatewayCommand(parsed.options.command) ? RunGatewayCommand(parsed.options, saved)
                                                    : RunAccountCommand(parsed.options, saved);
}

int CVornctl::RunGatewayCommand(const Options& options, CSavedAccounts& saved) {
    config::UserInfo account;
    Range range = Range::Free;
    if (const int status = ChooseAccount(options, saved, account, range); status != 0) {
        return status;
    }
    CTerminalMessageBox messageBox(m_err);
    gateway::CQELOpenSSLVORNClient client(ChooseServer(options, saved), messageBox);
    client.SetUserName(account.username.CStr());
    client.SetPassword(account.password.CStr());
    client.SetRange(range == Range::Paid ? gateway::RANGE_PAID : gateway::RANGE_FREE);

    switch (options.command) {
    case Command::Connect:
        if (const int code = client.Connect(); code != gateway::RESULT_OK) {
            return FailGbk(-code, client.GetMessage());
        }
        RememberAccount(options, saved, account, range);
        PrintRows(m_out, gateway::ConnectedStatusRows(client.GetResult()));
        return 0;
    case Command::Disconnect:
        if (!client.Disconnect()) {
            return FailGbk(kExitDisconnectFailed, client.GetMessage());
        }
        PrintRows(m_out, gateway::DisconnectedStatusRows());
        return 0;
    default:
        if (const int code = client.DisconnectAll(); code != gateway::RESULT_OK) {
            return FailGbk(-code, client.GetMessage());
        }
        PrintGbkLine(m_out, resources::LoadResString(resources::IDS_ALL_DISCONNECTED));
        return 0;
    }
}

int CVornctl::ChooseAccount(const Options& options, CSavedAccounts& saved,
                            config::UserInfo& account, Range& range) {
    range = options.range.value_or(Range::Free);
    if (options.userName) {
        std::string password;
        std::string gbk;
        if (!ToGbk("user name", *options.userName, gateway::kMaxUserNameLength, gbk) ||
            !account.username.Assign(gbk) || !ReadPassword(options, password) ||
            !ToGbk("password", password, gateway::kMaxPasswordLength, gbk) ||
            !account.password.Assign(gbk)) {
            return kExitUsage;
        }
        return 0;
    }
    switch (saved.FindDefault(account)) {
    case CSavedAccounts::DefaultAccount::Found:
        if (!options.range && account.access == config::ACCESS_OVERALL) {
            range = Range::Paid;
        }
        return 0;
    case CSavedAccounts::DefaultAccount::NoPassword:
        return Fail(-gateway::RESULT_BAD_PASSWORD,
                    "the default account has no remembered password; give -u USER");
    default:
        return Fail(-gateway::RESULT_NO_USER_NAME, saved.IsOpen()
                                                       ? "there is no default account; give -u USER"
                                                       : saved.Error() + "; give -u USER");
    }
}

// After a successful connect, as the connect flow saves the account when asked: the paid
// range is remembered only for an account that also logs on automatically.
void CVornctl::RememberAccount(const Options& options, CSavedAccounts& saved,
                               const config::UserInfo& account, Range range) {
    if (!options.save) {
        return;
    }
    config::UserInfo record;
    record.username = account.username;
    record.savePassword = options.rememberPassword;
    if (record.savePassword) {
        record.password = account.password;
    }
    record.access = options.autoLogon && range == Range::Paid ? config::ACCESS_OVERALL
                                                              : config::ACCESS_DOMESTIC;
    if (!saved.Remember(record, options.autoLogon)) {
        Fail(0, "warning: connected, but " + saved.Error());
    }
}

int CVornctl::RunAccountCommand(const Options& options, CSavedAccounts& saved) {
    if (!saved.IsOpen()) {
        return Fail(kExitSettingsFailed, saved.Error());
    }
    if (options.command == Command::Accounts) {
        return saved.PrintList(m_out) ? 0 : Fail(kExitSettingsFailed, saved.Error());
    }
    if (options.forgetAll) {
        return saved.ForgetAll() ? 0 : Fail(kExitSettingsFailed, saved.Error());
    }
    std::string name;
    if (!ToGbk("account name", options.forgetName, config::UserText::kMaxLength, name)) {
        return kExitUsage;
    }
    bool found = false;
    if (!saved.Forget(name, found)) {
        return Fail(kExitSettingsFailed,
                    found ? saved.Error()
                          : "there is no saved account \"" + options.forgetName + "\"");
    }
    return 0;
}

gateway::GatewayServer CVornctl::ChooseServer(const Options& options, CSavedAccounts& saved) const {
    gateway::GatewayServer server = gateway::DefaultGatewayServer();
    const config::ServerSettings settings = saved.ServerSettings();
    server.host = options.gatewayHost.value_or(settings.host.value_or(server.host));
    server.tlsPort = options.gatewayPort.value_or(settings.tlsPort.value_or(server.tlsPort));
    server.httpPort = settings.httpPort.value_or(server.httpPort);
    return server;
}

bool CVornctl::EnterWorkdir(const std::string& workdir) {
    if (workdir.empty() || chdir(workdir.c_str()) == 0) {
        return true;
    }
    Fail(kExitUsage, "cannot use the working directory \"" + workdir +
                         "\": " + std::error_code(errno, std::generic_category()).message());
    return false;
}

bool CVornctl::ReadPassword(const Options& options, std::string& password) {
    std::optional<std::string> read;
    switch (options.passwordSource) {
    case PasswordSource::Argument:
        password = options.password;
        return true;
    case PasswordSource::Stdin:
        read = platform::ReadLineFromStdin();
        break;
    case PasswordSource::Terminal:
        read = platform::ReadSecretFromTerminal("Password for " + options.userName.value_or("") +
                                                ": ");
        break;
    }
    if (!read) {
        Fail(kExitUsage, options.passwordSource == PasswordSource::Stdin
                             ? "no password on standard input"
                             : "no password given and no terminal to ask on (use -p or "
                               "--password-stdin)");
        return false;
    }
    password = std::move(*read);
    return true;
}

bool CVornctl::ToGbk(const std::string& what, const std::string& utf8, std::size_t maxLength,
                     std::string& gbk) {
    platform::ConvertedText converted = platform::Utf8ToGbk(utf8);
    if (!converted.Ok()) {
        Fail(kExitUsage, "the " + what + " cannot be sent: " + converted.error);
        return false;
    }
    if (converted.text.size() > maxLength) {
        Fail(kExitUsage,
             "the " + what + " is longer than " + std::to_string(maxLength) + " bytes in GBK");
        return false;
    }
    gbk = std::move(converted.text);
    return true;
}

int CVornctl::Fail(int status, const std::string& utf8Message) {
    std::fprintf(m_err, "vornctl: %s\n", utf8Message.c_str());
    return status;
}

int CVornctl::FailGbk(int status, std::string_view gbkMessage) {
    PrintGbkLine(m_err, "vornctl: " + std::string(gbkMessage));
    return status;
}

} // namespace cli
