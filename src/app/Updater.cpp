#include "app/Updater.h"

#include "platform/Process.h"

#include <QProcess>
#include <QStandardPaths>

namespace app {

QString FindUpdater() {
    const QString name = QStringLiteral("vornupdate");
    const std::filesystem::path programDirectory = platform::ProgramDirectory();
    if (!programDirectory.empty()) {
        QString beside = QStandardPaths::findExecutable(
            name, {QString::fromStdString(programDirectory.string())});
        if (!beside.isEmpty()) {
            return beside;
        }
    }
    return QStandardPaths::findExecutable(name);
}

bool StartUpdater(const QStringList& arguments) {
    const QString updater = FindUpdater();
    return !updater.isEmpty() && QProcess::startDetached(updater, arguments);
}

} // namespace app
