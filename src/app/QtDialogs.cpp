#include "app/QtDialogs.h"

#include "app/ToolCommands.h"
#include "ui/ConPromptDlg.h"
#include "ui/DeleteAllUIConfirmDlg.h"
#include "ui/DeleteCurUIConfirmDlg.h"
#include "ui/ExitDlg.h"
#include "ui/NslookupDlg.h"
#include "ui/PingDialog.h"
#include "ui/TracertDlg.h"

namespace app {

bool CQtDialogs::ConfirmExit() {
    ui::CExitDlg dialog(m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CQtDialogs::ShowConPrompt() {
    ui::CConPromptDlg dialog(m_parent);
    dialog.exec();
    return dialog.NoPrompt();
}

bool CQtDialogs::ConfirmDeleteCurrent() {
    ui::CDeleteCurUIConfirmDlg dialog(m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CQtDialogs::ConfirmDeleteAll() {
    ui::CDeleteAllUIConfirmDlg dialog(m_parent);
    return dialog.exec() == QDialog::Accepted;
}

void CQtDialogs::ShowAbout(const ui::AboutSites& sites, CToolCommands& tools) {
    ui::CAboutDlg dialog(m_parent, sites, m_messageBox);
    QObject::connect(&dialog, &ui::CAboutDlg::networkReportRequested, &dialog,
                     [&tools] { tools.OnNetworkReport(); });
    QObject::connect(&dialog, &ui::CAboutDlg::pingRequested, &dialog,
                     [&tools] { tools.OnPingTool(); });
    QObject::connect(&dialog, &ui::CAboutDlg::tracertRequested, &dialog,
                     [&tools] { tools.OnTracertTool(); });
    QObject::connect(&dialog, &ui::CAboutDlg::nslookupRequested, &dialog,
                     [&tools] { tools.OnNslookupTool(); });
    dialog.exec();
}

bool CQtDialogs::AskPingTarget(QString& host, bool& continuous) {
    ui::CPingDialog dialog(m_parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    host = dialog.Host();
    continuous = dialog.Continuous();
    return true;
}

bool CQtDialogs::AskToolTarget(diag::Tool tool, QString& host) {
    if (tool == diag::Tool::Tracert) {
        ui::CTracertDlg dialog(m_parent);
        host = dialog.exec() == QDialog::Accepted ? dialog.Host() : QString();
        return dialog.result() == QDialog::Accepted;
    }
    ui::CNslookupDlg dialog(m_parent);
    host = dialog.exec() == QDialog::Accepted ? dialog.Host() : QString();
    return dialog.result() == QDialog::Accepted;
}

} // namespace app
