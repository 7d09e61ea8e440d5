#pragma once

#include <QString>

namespace app {

// The program's run: one copy per user, the updater, the string table, the main window until
// the exit routine ends it, and the end of the session.
class CVORNClientApp {
public:
    // instanceName is the single-copy socket; empty for the user's own. workdir holds ca.cer
    // and the settings; empty for the installation's per-user folder (the current directory
    // in a build tree).
    explicit CVORNClientApp(QString instanceName = {}, QString workdir = {});

    // Runs inside the QApplication of main; answers the exit status.
    int Run();

private:
    QString m_instanceName;
    QString m_workdir;
};

} // namespace app
