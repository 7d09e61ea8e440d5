#include "ui/QtMessageBox.h"

#include "platform/GbkCodec.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

namespace {

struct SeenBox {
    QString text;
    QString title;
    QList<QMessageBox::StandardButton> buttons;
};

// Answers the next modal box with button once it is up, noting what it showed.
void AnswerNextBox(QMessageBox::StandardButton button, SeenBox& seen) {
    QTimer::singleShot(0, [button, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            AnswerNextBox(button, seen);
            return;
        }
        seen.text = box->text();
        seen.title = box->windowTitle();
        for (QAbstractButton* shown : box->buttons()) {
            seen.buttons.append(box->standardButton(shown));
        }
        if (button == QMessageBox::Escape) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        box->button(button)->click();
    });
}

class QtMessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void InformShowsTheGbkText();
    void QuestionsAnswerTheButton_data();
    void QuestionsAnswerTheButton();
    void WorkerQuestionsAreAskedOnTheUiThread();
};

void QtMessageBoxTest::InformShowsTheGbkText() {
    ui::CQtMessageBox messages(nullptr, QStringLiteral("Sign in to QEL"));
    SeenBox seen;
    AnswerNextBox(QMessageBox::Ok, seen);
    messages.Inform(platform::GbkFromLiteral("成功断开所有连接"));
    QCOMPARE(seen.text, QStringLiteral("成功断开所有连接"));
    QCOMPARE(seen.title, QStringLiteral("Sign in to QEL"));
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

void QtMessageBoxTest::QuestionsAnswerTheButton_data() {
    QTest::addColumn<bool>("yesNo");
    QTest::addColumn<int>("press");
    QTest::addColumn<bool>("answer");
    QTest::newRow("ok") << false << int(QMessageBox::Ok) << true;
    QTest::newRow("cancel") << false << int(QMessageBox::Cancel) << false;
    QTest::newRow("escape on ok/cancel") << false << int(QMessageBox::Escape) << false;
    QTest::newRow("yes") << true << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << true << int(QMessageBox::No) << false;
    QTest::newRow("escape on yes/no") << true << int(QMessageBox::Escape) << false;
}

void QtMessageBoxTest::QuestionsAnswerTheButton() {
    QFETCH(bool, yesNo);
    QFETCH(int, press);
    QFETCH(bool, answer);
    ui::CQtMessageBox messages;
    SeenBox seen;
    AnswerNextBox(static_cast<QMessageBox::StandardButton>(press), seen);
    const std::string question = platform::GbkFromLiteral("是否断开所有连接?");
    QCOMPARE(yesNo ? messages.AskYesNo(question) : messages.AskOkCancel(question), answer);
    QCOMPARE(seen.text, QStringLiteral("是否断开所有连接?"));
    QCOMPARE(seen.buttons.size(), 2);
    QVERIFY(seen.buttons.contains(yesNo ? QMessageBox::Yes : QMessageBox::Ok));
}

void QtMessageBoxTest::WorkerQuestionsAreAskedOnTheUiThread() {
    ui::CQtMessageBox messages;
    SeenBox seen;
    AnswerNextBox(QMessageBox::Ok, seen);
    bool answer = false;
    bool done = false;
    std::thread worker([&] {
        answer = messages.AskOkCancel("worker?");
        QMetaObject::invokeMethod(
            qApp, [&done] { done = true; }, Qt::QueuedConnection);
    });
    QTRY_VERIFY(done);
    worker.join();
    QVERIFY(answer);
    QCOMPARE(seen.text, QStringLiteral("worker?"));
}

} // namespace

QTEST_MAIN(QtMessageBoxTest)
#include "QtMessageBoxTest.moc"
