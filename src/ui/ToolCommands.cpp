#include "ui/ToolCommands.h"

#include "platform/MessageBox.h"
#include "ui/NslookupDlg.h"
#include "ui/PingDialog.h"
#include "ui/QtGbk.h"
#include "ui/TracertDlg.h"

namespace ui {

CToolCommands::CToolCommands(const diag::CToolLauncher& launcher, platform::CMessageBox& messages)
    : m_launcher(launcher), m_messages(messages) {}

bool CToolCommands::OnPingTool(QWidget* parent) {
    CPingDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    return Launch(diag::Tool::Ping, dialog.Host(), dialog.Continuous());
}

bool CToolCommands::OnTracertTool(QWidget* parent) {
    CTracertDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    return Launch(diag::Tool::Tracert, dialog.Host(), false);
}

bool CToolCommands::OnNslookupTool(QWidget* parent) {
    CNslookupDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    return Launch(diag::Tool::Nslookup, dialog.Host(), false);
}

bool CToolCommands::Launch(diag::Tool tool, const QString& host, bool continuous) {
    const platform::ConvertedText target = ToGbk(host);
    if (!target.Ok()) {
        m_messages.Inform(target.error);
        return false;
    }
    const std::string parameters =
        tool == diag::Tool::Ping ? diag::PingParameters(target.text, continuous) : target.text;
    std::string error;
    if (!m_launcher.Launch(tool, parameters, error)) {
        m_messages.Inform(error);
        return false;
    }
    return true;
}

} // namespace ui
