#include "platform/ScriptedMessageBox.h"
#include "tests/ui/UrlRecorder.h"
#include "ui/FontStatic.h"
#include "ui/LinkStatic.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

using ui::CLinkStatic;

void Enter(QWidget& widget) {
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, widget.mapToGlobal(inside));
    QApplication::sendEvent(&widget, &enter);
}

void Leave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

QColor TextColour(const QWidget& widget) {
    return widget.palette().color(QPalette::WindowText);
}

class StaticsTest : public QObject {
    Q_OBJECT

private slots:
    void FontStaticOnlyTellsItsOwner();
    void LinkOpensItsCommand_data();
    void LinkOpensItsCommand();
    void LinkRefusesOverlongCommand();
    void LinkColourFollowsTheMouse();
    void AlwaysBlueLinkStaysBlue();
    void LeavingALinkClearsTheUnderline();
    void DisabledLinkTakesNoClick();
    void ScreenReadersPressLinks();
};

void StaticsTest::FontStaticOnlyTellsItsOwner() {
    const uitest::CUrlRecorder browser;
    ui::CFontStatic label(QStringLiteral("删除本账号信息"));
    label.resize(120, 20);
    label.show();
    QSignalSpy clicks(&label, &ui::CFontStatic::clicked);
    QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::RightButton);
    QTest::keyClick(&label, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);
    QVERIFY(browser.Opened().isEmpty());
}

void StaticsTest::LinkOpensItsCommand_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("opened");
    QTest::newRow("web page") << QStringLiteral("https://gateway.qel.example/faq/faq.jsp") << true;
    QTest::newRow("mail") << QStringLiteral("mailto:support@qel.example") << true;
    QTest::newRow("no command") << QString() << false;
    QTest::newRow("local file") << QStringLiteral("file:///etc/shadow") << false;
}

void StaticsTest::LinkOpensItsCommand() {
    QFETCH(QString, command);
    QFETCH(bool, opened);
    const uitest::CUrlRecorder browser;
    platform::CScriptedMessageBox messages;
    CLinkStatic link(messages);
    link.setText(QStringLiteral("2.常见问题"));
    link.resize(100, 20);
    link.show();
    QVERIFY(link.SetCommand(command));
    QSignalSpy opens(&link, &CLinkStatic::opened);
    QTest::mouseClick(&link, Qt::LeftButton);
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    if (opened) {
        QCOMPARE(browser.Opened(), QStringList{command});
        QCOMPARE(opens.count(), 1);
        QVERIFY(messages.ShownBoxes().empty());
    } else {
        QVERIFY(browser.Opened().isEmpty());
        QCOMPARE(opens.count(), 0);
        QCOMPARE(messages.ShownBoxes().size(), std::size_t{1});
        QCOMPARE(messages.ShownBoxes()[0].text, std::string("No Command"));
    }
}

void StaticsTest::LinkRefusesOverlongCommand() {
    platform::CScriptedMessageBox messages;
    CLinkStatic link(messages);
    const QString longest = QStringLiteral("https://gateway.qel.example/") +
                            QString(CLinkStatic::kMaxCommandLength - 28, QChar('a'));
    QCOMPARE(longest.size(), CLinkStatic::kMaxCommandLength);
    QVERIFY(link.SetCommand(longest));
    QCOMPARE(link.Command(), longest);
    QVERIFY(!link.SetCommand(longest + QChar('a')));
    QVERIFY(link.Command().isEmpty());
}

void StaticsTest::LinkColourFollowsTheMouse() {
    platform::CScriptedMessageBox messages;
    CLinkStatic link(messages);
    link.setText(QStringLiteral("1. 通知"));
    QCOMPARE(link.GetLinkColor(), QColor(0, 0, 0));
    QCOMPARE(TextColour(link), QColor(0, 0, 0));
    Enter(link);
    QVERIFY(link.IsHovered());
    QCOMPARE(link.GetLinkColor(), QColor(0, 0, 255));
    QCOMPARE(TextColour(link), QColor(0, 0, 255));
    Leave(link);
    QVERIFY(!link.IsHovered());
    QCOMPARE(link.GetLinkColor(), QColor(0, 0, 0));
    QCOMPARE(TextColour(link), QColor(0, 0, 0));
}

void StaticsTest::AlwaysBlueLinkStaysBlue() {
    platform::CScriptedMessageBox messages;
    CLinkStatic link(messages, nullptr, CLinkStatic::Colouring::AlwaysBlue);
    QCOMPARE(TextColour(link), QColor(0, 0, 255));
    Enter(link);
    Leave(link);
    QCOMPARE(TextColour(link), QColor(0, 0, 255));
}

void StaticsTest::LeavingALinkClearsTheUnderline() {
    platform::CScriptedMessageBox messages;
    CLinkStatic link(messages);
    QFont underlined = link.font();
    underlined.setUnderline(true);
    link.setFont(underlined);
    Enter(link);
    Leave(link);
    QVERIFY(!link.font().underline());
}

void StaticsTest::DisabledLinkTakesNoClick() {
    const uitest::CUrlRecorder browser;
    platform::CScriptedMessageBox messages;
    CLinkStatic link(messages);
    link.resize(100, 20);
    link.show();
    QVERIFY(link.SetCommand(QStringLiteral("https://gateway.qel.example/")));
    link.setEnabled(false);
    QTest::mouseClick(&link, Qt::LeftButton);
    QVERIFY(browser.Opened().isEmpty());
    QVERIFY(messages.ShownBoxes().empty());
}

void StaticsTest::ScreenReadersPressLinks() {
    const uitest::CUrlRecorder browser;
    platform::CScriptedMessageBox messages;
    CLinkStatic link(messages);
    link.setText(QStringLiteral("5.用户手册"));
    QVERIFY(link.SetCommand(QStringLiteral("https://gateway.qel.example/vornclient/")));
    ui::CFontStatic label(QStringLiteral("校园网公告"));
    QSignalSpy clicks(&label, &ui::CFontStatic::clicked);
    for (QWidget* widget : {static_cast<QWidget*>(&link), static_cast<QWidget*>(&label)}) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->role(), QAccessible::Link);
        QCOMPARE(accessible->text(QAccessible::Name), qobject_cast<QLabel*>(widget)->text());
        QAccessibleActionInterface* actions = accessible->actionInterface();
        QVERIFY(actions != nullptr);
        QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        actions->doAction(QAccessibleActionInterface::pressAction());
    }
    QCOMPARE(browser.Opened(), QStringList{link.Command()});
    QCOMPARE(clicks.count(), 1);
    // A name given by the owner (a popup line's whole title) wins over the shown text.
    link.setAccessibleName(QStringLiteral("5.用户手册 (全文)"));
    QCOMPARE(QAccessible::queryAccessibleInterface(&link)->text(QAccessible::Name),
             QStringLiteral("5.用户手册 (全文)"));
}

} // namespace

QTEST_MAIN(StaticsTest)
#include "StaticsTest.moc"
