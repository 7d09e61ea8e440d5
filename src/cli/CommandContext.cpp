#include "cli/CommandContext.h"

#include "cli/GbkOutput.h"
#include "platform/GbkCodec.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace cli {

int CCommandContext::EnterWorkdir() {
    std::filesystem::path workdir;
    std::string error;
    if (!m_places.Choose(m_global.workdir, workdir, error)) {
        return Fail(kExitSettingsFailed, error);
    }
    if (workdir.empty() || chdir(workdir.c_str()) == 0) {
        return 0;
    }
    return Fail(kExitUsage, "cannot use the working directory \"" + workdir.string() +
                                "\": " + std::error_code(errno, std::generic_category()).message());
}

CSavedAccounts& CCommandContext::Saved() {
    if (!m_saved) {
        m_saved.emplace(m_places.InstalledConfig());
    }
    return *m_saved;
}

gateway::GatewayServer CCommandContext::ChooseServer() {
    gateway::GatewayServer server = gateway::DefaultGatewayServer();
    const config::ServerSettings settings = Saved().ServerSettings();
    server.host = m_global.gatewayHost.value_or(settings.host.value_or(server.host));
    server.tlsPort = m_global.gatewayPort.value_or(settings.tlsPort.value_or(server.tlsPort));
    server.httpPort = settings.httpPort.value_or(server.httpPort);
    return server;
}

bool CCommandContext::ToGbk(const std::string& what, const std::string& utf8, std::size_t maxLength,
                            std::string& gbk) const {
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

void CCommandContext::PrintGbk(std::string_view gbk) const {
    PrintGbkLine(m_out, gbk);
}

void CCommandContext::PrintRows(const std::vector<gateway::StatusRow>& rows) const {
    for (const gateway::StatusRow& row : rows) {
        PrintGbk(row.label + "\t" + Visible(row.value));
    }
}

int CCommandContext::Fail(int status, const std::string& utf8Message) const {
    std::fprintf(m_err, "vornctl: %s\n", utf8Message.c_str());
    return status;
}

// The message may be the server's own text.
int CCommandContext::FailGbk(int status, std::string_view gbkMessage) const {
    PrintGbkLine(m_err, "vornctl: " + Visible(gbkMessage));
    return status;
}

} // namespace cli
