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
    parser.process(application);
    app::CVORNClientApp client(parser.value(instance));
    return client.Run();
}
