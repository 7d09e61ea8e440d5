#pragma once

#include <QString>

namespace app {

// The program's run: one copy per user, the updater, the string table, the main window until
// the exit routine ends it, and the end of the session.
class CVORNClientApp {
public:
    // instanceName is the single-copy socket; empty for the user's own.
    explicit CVORNClientApp(QString instanceName = {});

    // Runs inside the QApplication of main; answers the exit status.
    int Run();

private:
    QString m_instanceName;
};

} // namespace app
