#include "ui/AboutDlg.h"

#include "platform/ScriptedMessageBox.h"
#include "tests/ui/DialogDriver.h"
#include "tests/ui/UrlRecorder.h"
#include "ui/LinkStatic.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using uitest::Control;

ui::AboutSites Sites() {
    ui::AboutSites sites;
    sites.gateway.host = "gateway.qel.example";
    sites.cardHost = "card.qel.example";
    sites.supportMail = "support@qel.example";
    return sites;
}

ui::CLinkStatic* Link(const QWidget& dialog, int id) {
    return qobject_cast<ui::CLinkStatic*>(Control(dialog, id));
}

class AboutDlgTest : public QObject {
    Q_OBJECT

private slots:
    void LinksOpenTheirPages_data();
    void LinksOpenTheirPages();
    void HomePageNamesANonDefaultPort();
    void MissingSitesShowNoCommand();
    void ToolButtonsSignalAndLeaveTheBoxOpen_data();
    void ToolButtonsSignalAndLeaveTheBoxOpen();
    void ShowsItsTextsAndNamesEveryControl();
};

void AboutDlgTest::LinksOpenTheirPages_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("page");
    QTest::newRow("1016 mail") << 1016 << "support@qel.example"
                               << "mailto:support@qel.example";
    QTest::newRow("1017 home") << 1017 << "1.网络服务"
                               << "http://gateway.qel.example/";
    QTest::newRow("1025 faq") << 1025 << "2.常见问题"
                              << "https://gateway.qel.example/faq/faq.jsp";
    QTest::newRow("1026 card") << 1026 << "3.校园卡缴费"
                               << "http://card.qel.example/home.do";
    QTest::newRow("1027 package") << 1027 << "4.包月制"
                                  << "https://gateway.qel.example/swzn/sfbf.htm";
    QTest::newRow("1028 manual") << 1028 << "5.用户手册"
                                 << "https://gateway.qel.example/vornclient/";
}

void AboutDlgTest::LinksOpenTheirPages() {
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(QString, page);
    const uitest::CUrlRecorder browser;
    platform::CScriptedMessageBox messages;
    ui::CAboutDlg dialog(nullptr, Sites(), messages);
    dialog.show();
    ui::CLinkStatic* link = Link(dialog, id);
    QVERIFY(link != nullptr);
    QCOMPARE(link->text(), text);
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(browser.Opened(), QStringList{page});
    QVERIFY(messages.ShownBoxes().empty());
}

void AboutDlgTest::HomePageNamesANonDefaultPort() {
    ui::AboutSites sites = Sites();
    sites.gateway.httpPort = 8080;
    QCOMPARE(ui::CAboutDlg::LinkCommands(sites)[1],
             QStringLiteral("http://gateway.qel.example:8080/"));
}

void AboutDlgTest::MissingSitesShowNoCommand() {
    const uitest::CUrlRecorder browser;
    platform::CScriptedMessageBox messages;
    ui::AboutSites sites = Sites();
    sites.cardHost.clear();
    sites.supportMail.clear();
    ui::CAboutDlg dialog(nullptr, sites, messages);
    dialog.show();
    QVERIFY(!Link(dialog, 1016)->isVisible());
    QTest::mouseClick(Link(dialog, 1026), Qt::LeftButton);
    QVERIFY(browser.Opened().isEmpty());
    QCOMPARE(messages.ShownBoxes().size(), std::size_t{1});
    QCOMPARE(messages.ShownBoxes()[0].text, std::string("No Command"));
}

void AboutDlgTest::ToolButtonsSignalAndLeaveTheBoxOpen_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("signal"); // 0 report, 1 ping, 2 tracert, 3 name lookup
    QTest::newRow("report") << 1040 << "网络状态报告" << 0;
    QTest::newRow("ping") << 1041 << "Ping" << 1;
    QTest::newRow("tracert") << 1043 << "Tracert" << 2;
    QTest::newRow("name lookup") << 1042 << "域名解析" << 3;
}

void AboutDlgTest::ToolButtonsSignalAndLeaveTheBoxOpen() {
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(int, signal);
    platform::CScriptedMessageBox messages;
    ui::CAboutDlg dialog(nullptr, Sites(), messages);
    QSignalSpy report(&dialog, &ui::CAboutDlg::networkReportRequested);
    QSignalSpy ping(&dialog, &ui::CAboutDlg::pingRequested);
    QSignalSpy tracert(&dialog, &ui::CAboutDlg::tracertRequested);
    QSignalSpy lookup(&dialog, &ui::CAboutDlg::nslookupRequested);
    bool openAfterPress = false;
    const int result = uitest::ExecThen(dialog, [&] {
        auto* button = qobject_cast<QPushButton*>(Control(dialog, id));
        QCOMPARE(button->text(), text);
        QTest::mouseClick(button, Qt::LeftButton);
        openAfterPress = dialog.isVisible();
        QTest::mouseClick(Control(dialog, 1), Qt::LeftButton);
    });
    QVERIFY(openAfterPress);
    QCOMPARE(result, int(QDialog::Accepted));
    const QList<int> counts{int(report.count()), int(ping.count()), int(tracert.count()),
                            int(lookup.count())};
    QList<int> expected{0, 0, 0, 0};
    expected[signal] = 1;
    QCOMPARE(counts, expected);
}

void AboutDlgTest::ShowsItsTextsAndNamesEveryControl() {
    platform::CScriptedMessageBox messages;
    ui::CAboutDlg dialog(nullptr, Sites(), messages);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("关于 ip网关客户端"));
    QCOMPARE(dialog.size(), dialog.Units().Size(301, 218));
    const QStringList texts = uitest::ShownTexts(dialog);
    for (const char* text :
         {"Qel校园网IP网关认证 v1.1", "确定", "特点",
          "1. 支持SSL安全可靠\n2. 关机、重启、注销时自动断网\n", "注意事项", "常用链接", "网络工具",
          "有问题请发电子邮件到",
          "3. 请务必在下机前断开您的连接, 否则容易因意外流量损失自己的费用或损失包月时长。"}) {
        QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
    }
    QCOMPARE(
        qobject_cast<QLabel*>(Control(dialog, 1013))->text(),
        QStringLiteral("目前支持Windows2000、Windows XP 和Windows Vista，暂时仅提供中文版。其他语"
                       "言版本正在开发中。"));
    QCOMPARE(uitest::UnnamedControls(dialog), QStringList());
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
        QVERIFY(dialog.rect().contains(child->geometry()));
    }
}

} // namespace

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
