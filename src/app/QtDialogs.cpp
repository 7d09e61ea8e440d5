#include "app/QtDialogs.h"

#include "app/ToolCommands.h"
#include "ui/ConPromptDlg.h"
#include "ui/DeleteAllUIConfirmDlg.h"
#include "ui/DeleteCurUIConfirmDlg.h"
#include "ui/ExitDlg.h"

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

} // namespace app
