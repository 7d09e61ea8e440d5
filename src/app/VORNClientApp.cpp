#include "app/VORNClientApp.h"

#include "app/QtDialogs.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/Updater.h"
#include "app/VORNClientDlg.h"
#include "platform/Process.h"
#include "platform/WorkingDirectory.h"
#include "resources/StringTable.h"
#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <string>

namespace app {

CVORNClientApp::CVORNClientApp(QString instanceName, QString workdir)
    : m_instanceName(instanceName.isEmpty() ? CSingleInstance::DefaultName()
                                            : std::move(instanceName)),
      m_workdir(std::move(workdir)) {}

int CVORNClientApp::Run() {
    CSingleInstance instance(m_instanceName);
    if (instance.HandOver()) {
        return 0;
    }
    // Without an updater the program runs as well.
    StartUpdater({QStringLiteral("/Tray")});
    platform::IgnoreBrokenPipe();
    resources::LoadResString(resources::IDS_MAIN_TITLE);
    instance.Listen();
    QApplication::setQuitOnLastWindowClosed(false);

    ui::CQtMessageBox messageBox;
    WindowOptions options;
    std::string error;
    if (!platform::CWorkingDirectory().Choose(QFile::encodeName(m_workdir).toStdString(),
                                              options.folder, error)) {
        QMessageBox::critical(nullptr, QStringLiteral("vornclient"), QString::fromStdString(error));
        return 1;
    }
    CQtDialogs dialogs(nullptr, messageBox);
    CVORNClientDlg window(options, messageBox, dialogs);
    dialogs.SetParent(&window);
    CSessionEnd sessionEnd;
    QObject::connect(&instance, &CSingleInstance::otherCopyStarted, &window,
                     &CVORNClientDlg::OnOtherCopy);
    QObject::connect(&sessionEnd, &CSessionEnd::sessionEnding, &window,
                     [&](CSessionEnd::Reason reason) {
                         window.OnSessionEnding(reason);
                         sessionEnd.ReleaseDelay();
                     });
    // exit, not quit: quit asks the windows to close, and the window's close only hides it.
    QObject::connect(
        &window, &CVORNClientDlg::quitRequested, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    sessionEnd.Start();
    window.Initialise();
    window.show();
    return QApplication::exec();
}

} // namespace app
