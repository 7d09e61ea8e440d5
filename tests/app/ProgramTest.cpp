#include "tests/app/AppFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>

// The vornclient program itself, started offscreen: single copy, updater, SIGTERM.
class ProgramTest : public QObject {
    Q_OBJECT

private:
    apptest::CGatewayFixture m_gateway;

    // A vornclient in folder, with a "vornupdate" on its PATH that notes each start.
    static void Prepare(QProcess& program, const QTemporaryDir& folder, const QString& socket) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("PATH"),
                           folder.path() + QStringLiteral("/bin:") + environment.value("PATH"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(folder.path());
        program.setProgram(QStringLiteral(VORNCLIENT_PATH));
        program.setArguments({QStringLiteral("--instance-name"), socket});
    }

    static void WriteUpdater(const QTemporaryDir& folder) {
        QDir(folder.path()).mkpath(QStringLiteral("bin"));
        const QString path = folder.path() + QStringLiteral("/bin/vornupdate");
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"started $*\" >> \"$PWD/updater.log\"\n");
        script.close();
        QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner));
    }

private slots:
    void initTestCase() { QVERIFY(m_gateway.Start()); }
    void cleanupTestCase() { m_gateway.Stop(); }

    void secondCopyHandsOverAndSigtermEnds() {
        QTemporaryDir folder;
        m_gateway.WriteClientFolder(folder.path().toStdString());
        WriteUpdater(folder);
        const QString socket = folder.path() + QStringLiteral("/vornclient.socket");
        QProcess first;
        Prepare(first, folder, socket);
        first.start();
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 20000);

        QProcess second;
        Prepare(second, folder, socket);
        second.start();
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        QCOMPARE(::kill(static_cast<pid_t>(first.processId()), SIGTERM), 0);
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);

        // The updater started once, with "/Tray", by the first copy only.
        QFile log(folder.path() + QStringLiteral("/updater.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("started /Tray\n"));
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "ProgramTest.moc"
