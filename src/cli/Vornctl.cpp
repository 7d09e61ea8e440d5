#include "cli/Vornctl.h"

#include "cli/TerminalMessageBox.h"
#include "gateway/QELOpenSSLVORNClient.h"
#include "gateway/StatusRows.h"
#include "platform/GbkCodec.h"
#include "platform/Terminal.h"
#include "resources/StringTable.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace cli {
namespace {

void PrintUtf8(std::FILE* stream, std::string_view gbk) {
    std::string shown = platform::GbkToUtf8ForDisplay(gbk);
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) {
        shown.pop_back();
    }
    std::fprintf(stream, "%s\n", shown.c_str());
}

void PrintRows(std::FILE* stream, const std::vector<gateway::StatusRow>& rows) {
    for (const gateway::StatusRow& row : rows) {
        PrintUtf8(stream, row.label + "\t" + row.value);
    }
}

gateway::GatewayServer ChooseServer(const Options& options) {
    gateway::GatewayServer server = gateway::DefaultGatewayServer();
    if (options.gatewayHost) {
        server.host = *options.gatewayHost;
    }
    if (options.gatewayPort) {
        server.tlsPort = *options.gatewayPort;
    }
    return server;
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
    return RunCommand(parsed.options);
}

int CVornctl::RunCommand(const Options& options) {
    std::string password;
    std::string gbkUser;
    std::string gbkPassword;
    if (!EnterWorkdir(options.workdir) || !ReadPassword(options, password) ||
        !ToGbk("user name", options.userName, gateway::kMaxUserNameLength, gbkUser) ||
        !ToGbk("password", password, gateway::kMaxPasswordLength, gbkPassword)) {
        return kExitUsage;
    }

    CTerminalMessageBox messageBox(m_err);
    gateway::CQELOpenSSLVORNClient client(ChooseServer(options), messageBox);
    client.SetUserName(gbkUser.c_str());
    client.SetPassword(gbkPassword.c_str());
    client.SetRange(options.range == Range::Paid ? gateway::RANGE_PAID : gateway::RANGE_FREE);

    switch (options.command) {
    case Command::Connect:
        if (const int code = client.Connect(); code != gateway::RESULT_OK) {
            PrintUtf8(m_err, "vornctl: " + std::string(client.GetMessage()));
            return -code;
        }
        PrintRows(m_out, gateway::ConnectedStatusRows(client.GetResult()));
        return 0;
    case Command::Disconnect:
        if (!client.Disconnect()) {
            PrintUtf8(m_err, "vornctl: " + std::string(client.GetMessage()));
            return kExitDisconnectFailed;
        }
        PrintRows(m_out, gateway::DisconnectedStatusRows());
        return 0;
    case Command::DisconnectAll:
        if (const int code = client.DisconnectAll(); code != gateway::RESULT_OK) {
            PrintUtf8(m_err, "vornctl: " + std::string(client.GetMessage()));
            return -code;
        }
        PrintUtf8(m_out, resources::LoadResString(resources::IDS_ALL_DISCONNECTED));
        return 0;
    }
    return kExitUsage;
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
        read = platform::ReadSecretFromTerminal("Password for " + options.userName + ": ");
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

} // namespace cli
