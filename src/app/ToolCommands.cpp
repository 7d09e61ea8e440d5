#include "app/ToolCommands.h"

#include "app/WindowTexts.h"
#include "platform/GbkCodec.h"

namespace app {

CToolCommands::CToolCommands(std::filesystem::path folder, platform::CMessageBox& messageBox,
                             CSecondaryDialogs& dialogs, diag::CNSReport::OpenReport openReport)
    : m_messageBox(messageBox), m_dialogs(dialogs),
      m_nsReport(m_state, messageBox, folder.empty() ? std::filesystem::current_path() : folder,
                 openReport ? std::move(openReport) : diag::CNSReport::TextEditor(messageBox)),
      m_launcher(folder.empty() ? std::filesystem::current_path() : std::move(folder)) {}

void CToolCommands::OnNetworkReport() {
    if (m_nsReport.Report() != 0) {
        m_messageBox.Inform("Fail to report network state");
    }
}

void CToolCommands::OnPingTool() {
    QString host;
    bool continuous = false;
    if (!m_dialogs.AskPingTarget(host, continuous)) {
        return;
    }
    const platform::ConvertedText target = platform::Utf8ToGbk(host.toStdString());
    if (!target.Ok()) {
        m_messageBox.Inform(target.error);
        return;
    }
    Launch(diag::Tool::Ping, diag::PingParameters(target.text, continuous));
}

void CToolCommands::OnTracertTool() {
    AskAndLaunch(diag::Tool::Tracert);
}

void CToolCommands::OnNslookupTool() {
    AskAndLaunch(diag::Tool::Nslookup);
}

void CToolCommands::AskAndLaunch(diag::Tool tool) {
    QString host;
    if (!m_dialogs.AskToolTarget(tool, host)) {
        return;
    }
    const platform::ConvertedText target = platform::Utf8ToGbk(host.toStdString());
    if (!target.Ok()) {
        m_messageBox.Inform(target.error);
        return;
    }
    Launch(tool, target.text);
}

// A tool that cannot start says why, where the text's launch failed silently.
void CToolCommands::Launch(diag::Tool tool, const std::string& gbkParameters) {
    std::string error;
    if (!m_launcher.Launch(tool, gbkParameters, error)) {
        m_messageBox.Inform(error);
    }
}

} // namespace app
