#include "app/VORNClientApp.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vornclient"));
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption instance(
        QStringLiteral("instance-name"),
        QStringLiteral("The single-copy socket (default: the user's)."), QStringLiteral("NAME"));
    parser.addOption(instance);
    const QCommandLineOption workdir(
        QStringLiteral("workdir"),
        QStringLiteral("The folder of ca.cer and the settings (default: $XDG_DATA_HOME/vornclient "
                       "when installed, the current one in a build tree)."),
        QStringLiteral("DIR"));
    parser.addOption(workdir);
    parser.process(application);
    app::CVORNClientApp client(parser.value(instance), parser.value(workdir));
    return client.Run();
}
