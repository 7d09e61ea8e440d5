#include "announce/VORNNotificationMessage.h"
#include "platform/GbkCodec.h"
#include "platform/ScriptedMessageBox.h"
#include "tests/ui/DialogDriver.h"
#include "tests/ui/UrlRecorder.h"
#include "ui/LinkStatic.h"
#include "ui/VORNNotificationBox.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using announce::CVORNNotificationMessage;
using ui::CVORNNotificationBox;

CVORNNotificationMessage Message(const char* title,
                                 const char* url = "http://gateway.qel.example/n/1.htm") {
    return {platform::GbkFromLiteral(title), "body", url};
}

// A popup on a clock the test sets, with animations that end at once.
struct Fixture {
    std::int64_t now = 1000;
    platform::CScriptedMessageBox messages;
    std::unique_ptr<CVORNNotificationBox> popup;

    Fixture() {
        popup = std::make_unique<CVORNNotificationBox>("gateway.qel.example", messages,
                                                       [this] { return now; });
        popup->SetAnimationTimes(0ms, 0ms);
    }

    ui::CLinkStatic* Line(int number) const {
        return qobject_cast<ui::CLinkStatic*>(uitest::Control(*popup, 1047 + number));
    }

    // Lets the window work that the feed's calls handed over run.
    void Settle() const { QCoreApplication::processEvents(); }

    void ShowWith(int lines) {
        for (int line = 1; line <= lines; ++line) {
            QVERIFY(popup->AddMessage(Message("通知")));
        }
        QVERIFY(popup->Popup());
        Settle();
        QVERIFY(popup->isVisible());
    }
};

void Enter(QWidget& widget) {
    const QPointF inside(3, 3);
    QEnterEvent enter(inside, inside, widget.mapToGlobal(inside));
    QCoreApplication::sendEvent(&widget, &enter);
}

void Leave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

class NotificationBoxTest : public QObject {
    Q_OBJECT

private slots:
    void NumbersTheLinesInOrder();
    void PopupNeedsALineAndShowsOnce();
    void SlidesToTheBottomRightOfTheWorkArea();
    void HidesSevenSecondsAfterSlidingIn();
    void StaysWhileTheCursorIsOnIt();
    void CloseHidesAtOnceAndLeavesTheNextPopupAlone();
    void FeedThreadNeverWaitsForTheWindow();
    void CutsALongTitleWithAnEllipsis();
    void LinesOpenThroughTheUrlPolicy_data();
    void LinesOpenThroughTheUrlPolicy();
    void EveryShownControlHasAnAccessibleName();
};

void NotificationBoxTest::NumbersTheLinesInOrder() {
    Fixture fixture;
    QVERIFY(fixture.popup->AddMessage(Message("停电通知")));
    QVERIFY(fixture.popup->AddMessage(Message("网络维护")));
    QVERIFY(fixture.popup->AddMessage(Message("Fee")));
    fixture.Settle();
    QCOMPARE(fixture.Line(1)->text(), QStringLiteral("1. 停电通知"));
    QCOMPARE(fixture.Line(2)->text(), QStringLiteral("2. 网络维护"));
    QCOMPARE(fixture.Line(3)->text(), QStringLiteral("3. Fee"));
    QVERIFY(fixture.Line(1)->isEnabled());
    QVERIFY(fixture.Line(4)->text().isEmpty());
    QVERIFY(!fixture.Line(4)->isEnabled());
    QVERIFY(fixture.popup->AddMessage(Message("Four")));
    QVERIFY(!fixture.popup->AddMessage(Message("Five")));
    fixture.Settle();
    QCOMPARE(fixture.Line(4)->text(), QStringLiteral("4. Four"));
}

void NotificationBoxTest::PopupNeedsALineAndShowsOnce() {
    Fixture fixture;
    QVERIFY(!fixture.popup->Popup());
    fixture.Settle();
    QVERIFY(!fixture.popup->isVisible());
    QVERIFY(!fixture.popup->IsShowing());
    fixture.ShowWith(1);
    QVERIFY(fixture.popup->IsShowing());
    QVERIFY(!fixture.popup->Popup());
    // While showing, new announcements wait for the next fetch.
    QVERIFY(!fixture.popup->AddMessage(Message("late")));
    fixture.Settle();
    QVERIFY(fixture.Line(2)->text().isEmpty());
}

void NotificationBoxTest::SlidesToTheBottomRightOfTheWorkArea() {
    Fixture fixture;
    fixture.ShowWith(2);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint corner(area.x() + area.width() - 2, area.y() + area.height() - 2);
    QTRY_COMPARE(fixture.popup->frameGeometry().bottomRight() + QPoint(1, 1), corner);
    QCOMPARE(fixture.popup->size(), ui::CDialogUnits(ui::DialogFont()).Size(160, 86));
}

void NotificationBoxTest::HidesSevenSecondsAfterSlidingIn() {
    Fixture fixture;
    fixture.ShowWith(3);
    QCOMPARE(fixture.popup->PendingCheck(), 7000ms);
    fixture.now += 3;
    fixture.popup->CheckAutoHide();
    QCOMPARE(fixture.popup->PendingCheck(), 4000ms);
    QVERIFY(fixture.popup->IsShowing());
    fixture.now += 4;
    fixture.popup->CheckAutoHide();
    QTRY_VERIFY(!fixture.popup->isVisible());
    QVERIFY(!fixture.popup->IsShowing());
    QVERIFY(fixture.Line(1)->text().isEmpty());
    QVERIFY(!fixture.Line(1)->isEnabled());
    QCOMPARE(fixture.popup->PendingCheck(), -1ms);
    // Hidden and empty again: the next fetch fills it from line 1.
    QVERIFY(fixture.popup->AddMessage(Message("again")));
    fixture.Settle();
    QCOMPARE(fixture.Line(1)->text(), QStringLiteral("1. again"));
}

void NotificationBoxTest::StaysWhileTheCursorIsOnIt() {
    Fixture fixture;
    fixture.ShowWith(1);
    Enter(*fixture.popup);
    fixture.now += 100;
    fixture.popup->CheckAutoHide();
    QCOMPARE(fixture.popup->PendingCheck(), 6000ms);
    QVERIFY(fixture.popup->isVisible());
    Leave(*fixture.popup); // at 1100: the delay starts again
    fixture.now += 5;
    fixture.popup->CheckAutoHide();
    QCOMPARE(fixture.popup->PendingCheck(), 2000ms);
    QVERIFY(fixture.popup->isVisible());
    fixture.now += 1;
    fixture.popup->CheckAutoHide();
    QTRY_VERIFY(!fixture.popup->isVisible());
}

void NotificationBoxTest::CloseHidesAtOnceAndLeavesTheNextPopupAlone() {
    Fixture fixture;
    fixture.popup->SetAnimationTimes(0ms, 60000ms); // a fade would still be running
    fixture.ShowWith(2);
    QTest::mouseClick(uitest::Control(*fixture.popup, 1047), Qt::LeftButton);
    QVERIFY(!fixture.popup->isVisible());
    QVERIFY(!fixture.popup->IsShowing());
    QVERIFY(fixture.Line(1)->text().isEmpty());
    QCOMPARE(fixture.popup->PendingCheck(), -1ms);
    fixture.now = 2000;
    fixture.ShowWith(1);
    fixture.now = 2003;
    fixture.popup->CheckAutoHide();
    QVERIFY(fixture.popup->isVisible());
    QCOMPARE(fixture.popup->PendingCheck(), 4000ms);
}

void NotificationBoxTest::FeedThreadNeverWaitsForTheWindow() {
    Fixture fixture;
    bool added = false;
    bool shown = false;
    // The UI thread handles no events until the feed's calls have returned.
    std::thread feed([&] {
        added = fixture.popup->AddMessage(Message("从工作线程"));
        shown = fixture.popup->Popup();
    });
    feed.join();
    QVERIFY(added);
    QVERIFY(shown);
    QVERIFY(!fixture.popup->isVisible());
    QTRY_VERIFY(fixture.popup->isVisible());
    QCOMPARE(fixture.Line(1)->text(), QStringLiteral("1. 从工作线程"));
}

void NotificationBoxTest::CutsALongTitleWithAnEllipsis() {
    Fixture fixture;
    const QString title =
        QStringLiteral("关于校园网出口带宽扩容期间部分时段网络访问可能出现短暂中断的通知");
    QVERIFY(fixture.popup->AddMessage(Message(title.toUtf8().constData())));
    fixture.Settle();
    const ui::CLinkStatic* line = fixture.Line(1);
    QVERIFY(line->text().endsWith(QChar(0x2026)));
    QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <= line->width());
    QCOMPARE(line->accessibleName(), QStringLiteral("1. ") + title);
}

void NotificationBoxTest::LinesOpenThroughTheUrlPolicy_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("opened");
    QTest::newRow("web page") << "https://gateway.qel.example/announce/7.htm" << true;
    QTest::newRow("local file") << "file:///home/user/.ssh/id_rsa" << false;
    QTest::newRow("command") << "/usr/bin/gnome-terminal" << false;
}

void NotificationBoxTest::LinesOpenThroughTheUrlPolicy() {
    QFETCH(QString, url);
    QFETCH(bool, opened);
    const uitest::CUrlRecorder browser;
    Fixture fixture;
    QVERIFY(fixture.popup->AddMessage(Message("通知", url.toUtf8().constData())));
    QVERIFY(fixture.popup->Popup());
    fixture.Settle();
    QTest::mouseClick(fixture.Line(1), Qt::LeftButton);
    QCOMPARE(browser.Opened(), opened ? QStringList{url} : QStringList());
    QCOMPARE(fixture.messages.ShownBoxes().size(), std::size_t{opened ? 0U : 1U});
    QTest::mouseClick(uitest::Control(*fixture.popup, 1046), Qt::LeftButton);
    QCOMPARE(browser.Opened().last(), QStringLiteral("https://gateway.qel.example"));
}

void NotificationBoxTest::EveryShownControlHasAnAccessibleName() {
    Fixture fixture;
    fixture.ShowWith(2);
    QCOMPARE(uitest::UnnamedControls(*fixture.popup), QStringList());
    QCOMPARE(fixture.popup->accessibleName(), QStringLiteral("校园网公告"));
}

} // namespace

QTEST_MAIN(NotificationBoxTest)
#include "NotificationBoxTest.moc"
