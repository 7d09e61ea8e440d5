#include "app/ToolCommands.h"

namespace app {

CToolCommands::CToolCommands(std::filesystem::path folder, platform::CMessageBox& messageBox,
                             diag::CNSReport::OpenReport openReport)
    : m_messageBox(messageBox),
      m_nsReport(m_state, messageBox, folder.empty() ? std::filesystem::current_path() : folder,
                 openReport ? std::move(openReport) : diag::CNSReport::TextEditor(messageBox)),
      m_launcher(folder.empty() ? std::filesystem::current_path() : std::move(folder)),
      m_tools(m_launcher, messageBox) {}

void CToolCommands::OnNetworkReport() {
    if (m_nsReport.Report() != 0) {
        m_messageBox.Inform("Fail to report network state");
    }
}

void CToolCommands::OnPingTool() {
    m_tools.OnPingTool(m_parent);
}

void CToolCommands::OnTracertTool() {
    m_tools.OnTracertTool(m_parent);
}

void CToolCommands::OnNslookupTool() {
    m_tools.OnNslookupTool(m_parent);
}

} // namespace app
