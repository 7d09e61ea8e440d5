#include "app/Autostart.h"

#include "platform/GbkCodec.h"
#include "platform/Process.h"
#include "tests/app/AppFixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTest>

// The tray's switch for starting at log-in, and the entry it writes.
class AutostartTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_root;

    std::filesystem::path Root() const { return m_root->path().toStdString(); }
    std::filesystem::path Entry() const {
        return Root() / "config" / "autostart" / "vornclient.desktop";
    }

    // The checkable item of the tray menu's tools submenu.
    static QAction* AutostartItem(apptest::WindowUnderTest& test) {
        for (QAction* action : test.window->Tray().Menu().actions()) {
            if (action->menu() != nullptr) {
                if (auto* item = action->menu()->findChild<QAction*>(QStringLiteral("autostart"))) {
                    return item;
                }
            }
        }
        return nullptr;
    }

    // desktop-file-validate's complaints about path; empty when it has none.
    static QString Validate(const std::filesystem::path& path) {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStringLiteral("desktop-file-validate"), {QString::fromStdString(path)});
        if (!validate.waitForFinished(30000)) {
            return QStringLiteral("desktop-file-validate did not run");
        }
        const QString output = QString::fromUtf8(validate.readAll());
        return validate.exitCode() == 0 && output.isEmpty() ? QString() : output + "!";
    }

    static QString ExecLine(const std::filesystem::path& path) {
        QFile entry(QString::fromStdString(path));
        if (!entry.open(QIODevice::ReadOnly)) {
            return {};
        }
        for (const QByteArray& line : entry.readAll().split('\n')) {
            if (line.startsWith("Exec=")) {
                return QString::fromUtf8(line);
            }
        }
        return {};
    }

private slots:
    void init() {
        m_root = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_root->path().toUtf8() + "/config");
    }
    void cleanup() { m_root.reset(); }

    void trayItemWritesAndRemovesTheEntry() {
        apptest::WindowUnderTest test(Root());
        QAction* item = AutostartItem(test);
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("登录时自动启动"));
        QVERIFY(item->isCheckable());
        QVERIFY(!item->isChecked());
        QVERIFY(!std::filesystem::exists(Entry()));

        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(std::filesystem::exists(Entry()));
        QCOMPARE(Validate(Entry()), QString());
        QCOMPARE(ExecLine(Entry()),
                 QStringLiteral("Exec=") + QString::fromStdString(platform::ProgramPath()));
        // A window started later shows the switch on.
        {
            apptest::WindowUnderTest later(Root());
            QVERIFY(AutostartItem(later)->isChecked());
        }

        item->trigger();
        QVERIFY(!item->isChecked());
        QVERIFY(!std::filesystem::exists(Entry()));
        QVERIFY(test.Shown().isEmpty());
    }

    void itemFollowsChangesMadeElsewhere() {
        apptest::WindowUnderTest test(Root());
        QAction* item = AutostartItem(test);
        auto* menu = qobject_cast<QMenu*>(item->parent());
        QVERIFY(menu != nullptr);
        app::CAutostart elsewhere(Root() / "config", "/usr/bin/vornclient");
        QVERIFY(elsewhere.SetEnabled(true));
        menu->popup(QPoint(0, 0));
        QVERIFY(item->isChecked());
        menu->hide();
        QVERIFY(elsewhere.SetEnabled(false));
        menu->popup(QPoint(0, 0));
        QVERIFY(!item->isChecked());
        menu->hide();
    }

    void entryHiddenByTheDesktopCountsAsOff() {
        std::filesystem::create_directories(Entry().parent_path());
        QFile entry(QString::fromStdString(Entry()));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=x\nExec=vornclient\nHidden=true\n");
        entry.close();
        apptest::WindowUnderTest test(Root());
        QVERIFY(!AutostartItem(test)->isChecked());
    }

    void failedSwitchIsToldAndKeepsTheState() {
        // A file where the configuration folder should be.
        QFile blocker(m_root->path() + QStringLiteral("/config"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        apptest::WindowUnderTest test(Root());
        QAction* item = AutostartItem(test);
        item->trigger();
        QVERIFY(!item->isChecked());
        QCOMPARE(test.Shown().size(), 1);
        QVERIFY(test.Shown().at(0).startsWith(QStringLiteral("无法更改登录时自动启动：")));
    }

    void execNamesAnyProgramPath_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/vornclient"
                               << "/usr/bin/vornclient";
        QTest::newRow("blank") << "/opt/QEL client/vornclient"
                               << "\"/opt/QEL client/vornclient\"";
        QTest::newRow("dollar and quote") << "/opt/a$b\"c/vornclient"
                                          << "\"/opt/a\\\\$b\\\\\"c/vornclient\"";
        QTest::newRow("backslash") << "/opt/a\\b/vornclient"
                                   << "\"/opt/a\\\\\\\\b/vornclient\"";
        QTest::newRow("percent") << "/opt/100%/vornclient"
                                 << "/opt/100%%/vornclient";
        QTest::newRow("chinese") << "/opt/校园网/vornclient"
                                 << "/opt/校园网/vornclient";
    }
    void execNamesAnyProgramPath() {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        app::CAutostart autostart(Root() / "config", program.toStdString());
        QVERIFY2(autostart.SetEnabled(true), autostart.Error().c_str());
        QVERIFY(autostart.IsEnabled());
        QCOMPARE(ExecLine(Entry()), QStringLiteral("Exec=") + exec);
        QCOMPARE(Validate(Entry()), QString());
    }

    void pathThatAnEntryCannotHoldIsRefused_data() {
        QTest::addColumn<QByteArray>("program");
        QTest::newRow("line feed") << QByteArray("/opt/a\nb/vornclient");
        QTest::newRow("escape") << QByteArray("/opt/a\x1b/vornclient");
        QTest::newRow("not UTF-8") << QByteArray("/opt/\xff\xfe/vornclient");
    }
    void pathThatAnEntryCannotHoldIsRefused() {
        QFETCH(QByteArray, program);
        app::CAutostart autostart(Root() / "config", program.toStdString());
        QVERIFY(!autostart.SetEnabled(true));
        QVERIFY(!autostart.Error().empty());
        QVERIFY(!autostart.IsEnabled());
        QVERIFY(!std::filesystem::exists(Entry()));
    }
};

QTEST_MAIN(AutostartTest)
#include "AutostartTest.moc"
