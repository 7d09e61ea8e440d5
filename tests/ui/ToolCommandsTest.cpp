#include "ui/ToolCommands.h"

#include "platform/ScriptedMessageBox.h"
#include "tests/support/StandIn.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/DialogDriver.h"
#include "ui/AboutDlg.h"
#include "ui/NslookupDlg.h"
#include "ui/PingDialog.h"
#include "ui/TracertDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

namespace {

using uitest::Control;

// Once a dialog of class Dialog is the modal window, does answer to it.
template <class Dialog>
void WhenShown(std::function<void(Dialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            WhenShown<Dialog>(answer);
            return;
        }
        answer(*dialog);
    });
}

// Types text (as an input method would, so any script goes in) and presses OK.
void TypeAndOk(QDialog& dialog, int edit, const QString& text) {
    qobject_cast<QLineEdit*>(Control(dialog, edit))->insert(text);
    QTest::mouseClick(Control(dialog, 1), Qt::LeftButton);
}

// A working directory with stand-ins for the three scripts and for a terminal emulator that
// takes "-e command args...", each recording its arguments.
struct Installation {
    testsupport::CTempFolder folder;
    platform::CScriptedMessageBox messages;
    diag::CToolLauncher launcher{folder.Path(),
                                 platform::TerminalEmulator{folder / "terminal", {"-e"}}};
    ui::CToolCommands tools{launcher, messages};

    Installation() {
        testsupport::WriteStandIn(folder, "terminal", "terminal.args", "shift\nexec \"$@\"\n");
        for (const char* script : {"ping-script.sh", "tracert-script.sh", "nslookup-script.sh"}) {
            testsupport::WriteStandIn(folder, script, std::string(script) + ".args");
        }
    }

    std::string Arguments(const char* script) const {
        return testsupport::ReadWhenWritten(folder / (std::string(script) + ".args"));
    }
};

class ToolCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void PingStartsItsScript_data();
    void PingStartsItsScript();
    void TracertAndLookupPassTheTargetUnchanged();
    void CancelStartsNothing();
    void FailuresAreSaid();
    void PingFromTheAboutBoxLeavesItOpen();
};

void ToolCommandsTest::PingStartsItsScript_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("continuous");
    QTest::addColumn<QString>("arguments");
    QTest::newRow("continuous") << "10.0.0.1" << true << "10.0.0.1\n-t\n";
    QTest::newRow("once") << "10.0.0.1" << false << "10.0.0.1\n";
    QTest::newRow("empty and continuous") << "" << true << "-t\n";
    QTest::newRow("chinese name") << "校园网.example" << false << "校园网.example\n";
}

void ToolCommandsTest::PingStartsItsScript() {
    QFETCH(QString, target);
    QFETCH(bool, continuous);
    QFETCH(QString, arguments);
    Installation installation;
    WhenShown<ui::CPingDialog>([&](ui::CPingDialog& dialog) {
        if (continuous) {
            QTest::mouseClick(Control(dialog, 1036), Qt::LeftButton);
        }
        TypeAndOk(dialog, 1038, target);
    });
    QVERIFY(installation.tools.OnPingTool(nullptr));
    QCOMPARE(QString::fromStdString(installation.Arguments("ping-script.sh")), arguments);
    QVERIFY(installation.messages.ShownBoxes().empty());
}

void ToolCommandsTest::TracertAndLookupPassTheTargetUnchanged() {
    Installation installation;
    WhenShown<ui::CTracertDlg>(
        [](ui::CTracertDlg& dialog) { TypeAndOk(dialog, 1037, QStringLiteral("x; rm -rf ~")); });
    QVERIFY(installation.tools.OnTracertTool(nullptr));
    QCOMPARE(installation.Arguments("tracert-script.sh"), std::string("x;\nrm\n-rf\n~\n"));
    WhenShown<ui::CNslookupDlg>([](ui::CNslookupDlg& dialog) {
        TypeAndOk(dialog, 1039, QStringLiteral("www.qel.example"));
    });
    QVERIFY(installation.tools.OnNslookupTool(nullptr));
    QCOMPARE(installation.Arguments("nslookup-script.sh"), std::string("www.qel.example\n"));
}

void ToolCommandsTest::CancelStartsNothing() {
    Installation installation;
    WhenShown<ui::CPingDialog>([](ui::CPingDialog& dialog) {
        QTest::keyClicks(Control(dialog, 1038), QStringLiteral("10.0.0.1"));
        QTest::mouseClick(Control(dialog, 2), Qt::LeftButton);
    });
    QVERIFY(!installation.tools.OnPingTool(nullptr));
    WhenShown<ui::CTracertDlg>([](ui::CTracertDlg& dialog) { dialog.close(); });
    QVERIFY(!installation.tools.OnTracertTool(nullptr));
    QVERIFY(!std::filesystem::exists(installation.folder / "terminal.args"));
    QVERIFY(installation.messages.ShownBoxes().empty());
}

void ToolCommandsTest::FailuresAreSaid() {
    Installation installation;
    WhenShown<ui::CNslookupDlg>(
        [](ui::CNslookupDlg& dialog) { TypeAndOk(dialog, 1039, QStringLiteral("한국.example")); });
    QVERIFY(!installation.tools.OnNslookupTool(nullptr));
    std::filesystem::remove(installation.folder / "ping-script.sh");
    WhenShown<ui::CPingDialog>(
        [](ui::CPingDialog& dialog) { TypeAndOk(dialog, 1038, QStringLiteral("10.0.0.1")); });
    QVERIFY(!installation.tools.OnPingTool(nullptr));
    const auto& shown = installation.messages.ShownBoxes();
    QCOMPARE(shown.size(), std::size_t{2});
    QVERIFY2(shown[0].text.find("cannot be written in GBK") != std::string::npos,
             shown[0].text.c_str());
    QVERIFY2(shown[1].text.find("ping-script.sh is not installed") != std::string::npos,
             shown[1].text.c_str());
    QVERIFY(!std::filesystem::exists(installation.folder / "terminal.args"));
}

void ToolCommandsTest::PingFromTheAboutBoxLeavesItOpen() {
    Installation installation;
    ui::CAboutDlg about(nullptr, ui::AboutSites{{"gateway.qel.example"}, {}, {}},
                        installation.messages);
    QObject::connect(&about, &ui::CAboutDlg::pingRequested,
                     [&] { installation.tools.OnPingTool(&about); });
    bool pingOverAbout = false;
    bool aboutOpenAfter = false;
    uitest::ExecThen(about, [&] {
        WhenShown<ui::CPingDialog>([&](ui::CPingDialog& dialog) {
            pingOverAbout = dialog.parentWidget() == &about && about.isVisible();
            TypeAndOk(dialog, 1038, QStringLiteral("10.0.0.1"));
        });
        QTest::mouseClick(Control(about, 1041), Qt::LeftButton);
        aboutOpenAfter = about.isVisible();
        about.accept();
    });
    QVERIFY(pingOverAbout);
    QVERIFY(aboutOpenAfter);
    QCOMPARE(installation.Arguments("ping-script.sh"), std::string("10.0.0.1\n"));
}

} // namespace

QTEST_MAIN(ToolCommandsTest)
#include "ToolCommandsTest.moc"
