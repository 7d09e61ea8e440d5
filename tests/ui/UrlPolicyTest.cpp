#include "ui/UrlPolicy.h"

#include "platform/ScriptedMessageBox.h"
#include "tests/ui/UrlRecorder.h"

#include <QApplication>
#include <QTest>

namespace {

using Kind = platform::CScriptedMessageBox::Kind;

class UrlPolicyTest : public QObject {
    Q_OBJECT

private slots:
    void Classifies_data();
    void Classifies();
    void OpensOnlyWhatThePolicyAllows_data();
    void OpensOnlyWhatThePolicyAllows();
};

void UrlPolicyTest::Classifies_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("openable");
    const struct {
        const char* name;
        const char* url;
        bool openable;
    } cases[] = {
        {"http", "http://gateway.qel.example/", true},
        {"https with path and query", "https://gateway.qel.example/faq/faq.jsp?a=1#x", true},
        {"upper-case scheme", "HTTPS://gateway.qel.example/vornclient/", true},
        {"port", "http://127.0.0.1:8080/home.do", true},
        {"mailto", "mailto:support@qel.example", true},
        {"empty", "", false},
        {"file", "file:///etc/passwd", false},
        {"javascript", "javascript:alert(1)", false},
        {"data", "data:text/html,hi", false},
        {"ftp", "ftp://files.qel.example/", false},
        {"smb", "smb://server/share", false},
        {"relative", "/announce/1.htm", false},
        {"bare word", "gateway.qel.example", false},
        {"local program", "/usr/bin/xterm", false},
        {"http without host", "http:/path", false},
        {"https with empty host", "https:///x", false},
        {"mailto without recipient", "mailto:", false},
        {"blank inside", "http://gateway.qel.example/a b", false},
        {"leading blank", " http://gateway.qel.example/", false},
        {"newline", "http://gateway.qel.example/\n", false},
        {"tab", "http://gateway.qel.example/\t", false},
        {"bad percent", "http://gateway.qel.example/%zz", false},
    };
    for (const auto& row : cases) {
        QTest::newRow(row.name) << QString::fromUtf8(row.url) << row.openable;
    }
    // A right-to-left override would make the address read as something else.
    QTest::newRow("bidi override")
        << QStringLiteral("http://gateway.qel.example/") + QChar(0x202E) + QStringLiteral("txt.exe")
        << false;
}

void UrlPolicyTest::Classifies() {
    QFETCH(QString, url);
    QFETCH(bool, openable);
    QCOMPARE(ui::IsOpenableUrl(url), openable);
}

void UrlPolicyTest::OpensOnlyWhatThePolicyAllows_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("opened");
    QTest::newRow("web page") << QStringLiteral("https://gateway.qel.example/swzn/sfbf.htm")
                              << true;
    QTest::newRow("mail") << QStringLiteral("mailto:support@qel.example") << true;
    QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
    QTest::newRow("nothing") << QString() << false;
}

void UrlPolicyTest::OpensOnlyWhatThePolicyAllows() {
    QFETCH(QString, url);
    QFETCH(bool, opened);
    const uitest::CUrlRecorder browser;
    platform::CScriptedMessageBox messages;
    QCOMPARE(ui::OpenLink(url, messages), opened);
    if (opened) {
        QCOMPARE(browser.Opened(), QStringList{url});
        QVERIFY(messages.ShownBoxes().empty());
    } else {
        QVERIFY(browser.Opened().isEmpty());
        QCOMPARE(messages.ShownBoxes().size(), std::size_t{1});
        QCOMPARE(messages.ShownBoxes()[0].kind, Kind::Inform);
        QCOMPARE(messages.ShownBoxes()[0].text, std::string("No Command"));
    }
}

} // namespace

QTEST_MAIN(UrlPolicyTest)
#include "UrlPolicyTest.moc"
