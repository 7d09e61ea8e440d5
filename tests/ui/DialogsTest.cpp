#include "tests/ui/DialogDriver.h"
#include "ui/ConPromptDlg.h"
#include "ui/DeleteAllUIConfirmDlg.h"
#include "ui/DeleteCurUIConfirmDlg.h"
#include "ui/ExitDlg.h"
#include "ui/NslookupDlg.h"
#include "ui/PingDialog.h"
#include "ui/TracertDlg.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

namespace {

using uitest::Control;
using uitest::ExecThen;
using Factory = std::function<std::unique_ptr<ui::CTemplateDialog>()>;

template <class Dialog>
Factory Make() {
    return [] { return std::make_unique<Dialog>(); };
}

void Press(QDialog& dialog, int id) {
    auto* button = qobject_cast<QPushButton*>(Control(dialog, id));
    if (button == nullptr) {
        QFAIL("no such button");
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

void Type(QDialog& dialog, int id, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(Control(dialog, id));
    if (edit == nullptr) {
        QFAIL("no such edit box");
    }
    QTest::keyClicks(edit, text);
}

void Tick(QDialog& dialog, int id) {
    auto* check = qobject_cast<QCheckBox*>(Control(dialog, id));
    if (check == nullptr) {
        QFAIL("no such check box");
    }
    QVERIFY(!check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(check->isChecked());
}

// Each small dialog: its template's caption, size, texts and buttons.
struct Shape {
    const char* name;
    Factory make;
    QString caption;
    QSize size; // dialog units
    QStringList texts;
    bool hasCancel;
};

std::vector<Shape> Shapes() {
    const QString ok = QStringLiteral("确定");
    const QString cancel = QStringLiteral("取消");
    return {
        {"exit",
         Make<ui::CExitDlg>(),
         QStringLiteral("Dialog"),
         {122, 50},
         {QStringLiteral("退出将自动断开连接，确认退出？"), ok, cancel},
         true},
        {"arrears prompt",
         Make<ui::CConPromptDlg>(),
         QStringLiteral("Dialog"),
         {135, 62},
         {QStringLiteral(
              "您已经成功连接！目前的使用方式是欠费断网，请注意及时交费。建议使用校园卡交"
              "费，可以不受限制，随时随地进行。"),
          QStringLiteral("不用再提示"), ok},
         false},
        {"delete current",
         Make<ui::CDeleteCurUIConfirmDlg>(),
         QStringLiteral("Dialog"),
         {114, 39},
         {QStringLiteral("确实要删除当前账户信息？"), ok, cancel},
         true},
        {"delete all",
         Make<ui::CDeleteAllUIConfirmDlg>(),
         QStringLiteral("Dialog"),
         {115, 38},
         {QStringLiteral("确实要删除所有账户信息？"), ok, cancel},
         true},
        {"ping",
         Make<ui::CPingDialog>(),
         QStringLiteral("Ping"),
         {143, 78},
         {QStringLiteral("Ping工具"), QStringLiteral("请输入主机名或IP地址:"),
          QStringLiteral("持续"), ok, cancel},
         true},
        {"tracert",
         Make<ui::CTracertDlg>(),
         QStringLiteral("Tracert"),
         {141, 75},
         {QStringLiteral("Tracert工具"), QStringLiteral("请输入目标主机名或IP地址:"), ok, cancel},
         true},
        {"name lookup",
         Make<ui::CNslookupDlg>(),
         QStringLiteral("域名解析"),
         {141, 75},
         {QStringLiteral("域名解析工具"), QStringLiteral("请输入需要解析的域名:"), ok, cancel},
         true},
    };
}

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void ShowTheirTemplates();
    void AnswerTheButtonPressed();
    void ArrearsPromptCarriesTheTickOnlyOnOk();
    void PingTakesTargetAndSuffixOnOk_data();
    void PingTakesTargetAndSuffixOnOk();
    void TargetDialogsTakeTheTargetOnOk();
    void ToolDialogsFocusTheirEditBox();
    void EveryControlHasAnAccessibleName();
};

void DialogsTest::ShowTheirTemplates() {
    for (const Shape& shape : Shapes()) {
        const auto dialog = shape.make();
        QCOMPARE(dialog->windowTitle(), shape.caption);
        QCOMPARE(dialog->size(), dialog->Units().Size(shape.size.width(), shape.size.height()));
        QCOMPARE(uitest::ShownTexts(*dialog), shape.texts);
        auto* ok = qobject_cast<QPushButton*>(Control(*dialog, 1));
        QVERIFY2(ok != nullptr && ok->isDefault(), shape.name);
        QCOMPARE(Control(*dialog, 2) != nullptr, shape.hasCancel);
        // Every control lies inside the window.
        for (const QWidget* child : dialog->findChildren<QWidget*>()) {
            QVERIFY2(dialog->rect().contains(child->geometry()), shape.name);
        }
    }
}

void DialogsTest::AnswerTheButtonPressed() {
    for (const Shape& shape : Shapes()) {
        const auto accepted = shape.make();
        QCOMPARE(ExecThen(*accepted, [&] { Press(*accepted, 1); }), int(QDialog::Accepted));
        const auto escaped = shape.make();
        QCOMPARE(ExecThen(*escaped, [&] { QTest::keyClick(escaped.get(), Qt::Key_Escape); }),
                 int(QDialog::Rejected));
        if (shape.hasCancel) {
            const auto cancelled = shape.make();
            QCOMPARE(ExecThen(*cancelled, [&] { Press(*cancelled, 2); }), int(QDialog::Rejected));
        }
        const auto closed = shape.make();
        QCOMPARE(ExecThen(*closed, [&] { closed->close(); }), int(QDialog::Rejected));
    }
}

void DialogsTest::ArrearsPromptCarriesTheTickOnlyOnOk() {
    const struct {
        bool tick;
        bool pressOk;
        bool noPrompt;
    } cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
    for (const auto& row : cases) {
        ui::CConPromptDlg dialog;
        ExecThen(dialog, [&] {
            if (row.tick) {
                Tick(dialog, 1023);
            }
            if (row.pressOk) {
                Press(dialog, 1);
            } else {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            }
        });
        QCOMPARE(dialog.NoPrompt(), row.noPrompt);
    }
}

void DialogsTest::PingTakesTargetAndSuffixOnOk_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("pressOk");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("continuous");
    QTest::newRow("continuous") << "10.0.0.1" << true << true << "10.0.0.1" << true;
    QTest::newRow("once") << "10.0.0.1" << false << true << "10.0.0.1" << false;
    QTest::newRow("empty target") << "" << true << true << "" << true;
    QTest::newRow("blanks kept") << "  host.example " << false << true << "  host.example "
                                 << false;
    QTest::newRow("cancel keeps nothing") << "10.0.0.1" << true << false << "" << false;
}

void DialogsTest::PingTakesTargetAndSuffixOnOk() {
    QFETCH(QString, typed);
    QFETCH(bool, tick);
    QFETCH(bool, pressOk);
    QFETCH(QString, host);
    QFETCH(bool, continuous);
    ui::CPingDialog dialog;
    const int result = ExecThen(dialog, [&] {
        Type(dialog, 1038, typed);
        if (tick) {
            Tick(dialog, 1036);
        }
        Press(dialog, pressOk ? 1 : 2);
    });
    QCOMPARE(result, pressOk ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(dialog.Host(), host);
    QCOMPARE(dialog.Continuous(), continuous);
}

void DialogsTest::TargetDialogsTakeTheTargetOnOk() {
    const struct {
        std::function<std::unique_ptr<ui::CTargetDialog>()> make;
        int edit;
    } dialogs[] = {{[] { return std::make_unique<ui::CTracertDlg>(); }, 1037},
                   {[] { return std::make_unique<ui::CNslookupDlg>(); }, 1039}};
    for (const auto& row : dialogs) {
        const auto accepted = row.make();
        ExecThen(*accepted, [&] {
            Type(*accepted, row.edit, QStringLiteral(" www.qel.example"));
            QTest::keyClick(Control(*accepted, row.edit), Qt::Key_Return);
        });
        QCOMPARE(accepted->Host(), QStringLiteral(" www.qel.example"));
        const auto cancelled = row.make();
        ExecThen(*cancelled, [&] {
            Type(*cancelled, row.edit, QStringLiteral("www.qel.example"));
            Press(*cancelled, 2);
        });
        QVERIFY(cancelled->Host().isEmpty());
    }
}

void DialogsTest::ToolDialogsFocusTheirEditBox() {
    const struct {
        std::function<std::unique_ptr<QDialog>()> make;
        int edit;
    } dialogs[] = {{[] { return std::make_unique<ui::CPingDialog>(); }, 1038},
                   {[] { return std::make_unique<ui::CTracertDlg>(); }, 1037},
                   {[] { return std::make_unique<ui::CNslookupDlg>(); }, 1039}};
    for (const auto& row : dialogs) {
        const auto dialog = row.make();
        QWidget* focused = nullptr;
        ExecThen(*dialog, [&] {
            focused = dialog->focusWidget();
            dialog->reject();
        });
        QCOMPARE(focused, Control(*dialog, row.edit));
    }
}

void DialogsTest::EveryControlHasAnAccessibleName() {
    for (const Shape& shape : Shapes()) {
        const auto dialog = shape.make();
        QCOMPARE(uitest::UnnamedControls(*dialog), QStringList());
    }
    ui::CPingDialog ping;
    QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(Control(ping, 1038));
    QCOMPARE(edit->text(QAccessible::Name), QStringLiteral("请输入主机名或IP地址"));
}

} // namespace

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
