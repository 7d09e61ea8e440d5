#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/VORNClientDlg.h"
#include "arpguard/RemoteIPMACCache.h"
#include "gateway/QELVORNClient.h"
#include "gateway/StatusRows.h"
#include "platform/FakeNetworkTables.h"
#include "platform/GbkCodec.h"
#include "tests/app/AppFixture.h"
#include "tests/support/LoopbackSocket.h"
#include "ui/VORNNotificationBox.h"

#include <arpa/inet.h>
#include <linux/rtnetlink.h>
#include <unistd.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <array>
#include <atomic>
#include <csignal>
#include <fstream>
#include <thread>

using apptest::Account;
using apptest::WindowUnderTest;

namespace {

constexpr int kUserBox = 1002;
constexpr int kPasswordBox = 1003;
constexpr int kRadioFree = 1004;
constexpr int kRadioPaid = 1005;
constexpr int kSaveAccount = 1031;
constexpr int kRememberPassword = 1032;
constexpr int kAutoLogon = 1033;

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    apptest::CGatewayFixture m_gateway;
    std::unique_ptr<QTemporaryDir> m_folder;

    std::filesystem::path Folder() const { return m_folder->path().toStdString(); }

    // Types text one character at a time through the box's validator, as the keyboard or an
    // input method would.
    static void Type(QLineEdit& box, const QString& text) {
        for (const QChar character : text) {
            box.insert(character);
        }
    }

    // Types the account into the panel as a user would.
    static void Enter(WindowUnderTest& test, const QString& name, const QString& password,
                      bool paid = false) {
        auto& user = test.Control<QComboBox>(kUserBox);
        user.lineEdit()->clear();
        Type(*user.lineEdit(), name);
        Type(test.Control<QLineEdit>(kPasswordBox), password);
        if (paid) {
            test.Control<QRadioButton>(kRadioPaid).click();
        }
    }

    // Ends a connection a test left open, so every test starts from none.
    static void Disconnect(WindowUnderTest& test) {
        if (test.window->Client().IsConnected()) {
            test.window->OnDisconnect();
        }
    }

private slots:
    void initTestCase() { QVERIFY(m_gateway.Start()); }
    void cleanupTestCase() { m_gateway.Stop(); }

    void init() {
        m_folder = std::make_unique<QTemporaryDir>();
        m_gateway.WriteClientFolder(Folder());
    }
    void cleanup() {
        m_folder.reset();
        m_gateway.Control("heartbeat campus answer");
        m_gateway.Control("heartbeat domestic answer");
    }

    void connectShowsTheNineRows_data() {
        QTest::addColumn<bool>("remember");
        QTest::newRow("password forgotten") << false;
        QTest::newRow("password remembered") << true;
    }
    void connectShowsTheNineRows() {
        QFETCH(bool, remember);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        Enter(test, "carol", "Carol-pw-7");
        test.Control<QCheckBox>(kRememberPassword).setChecked(remember);
        test.Control<QPushButton>(1007).click();
        const QStringList rows = test.window->StatusList().RowTexts();
        QCOMPARE(rows.size(), 9);
        QCOMPARE(rows.at(0), Utf8("状态: 已连接"));
        QCOMPARE(rows.at(1), Utf8("用户名: carol"));
        QCOMPARE(rows.at(3), Utf8("包月状态: 未包月"));
        QCOMPARE(rows.at(5), Utf8("访问范围: 免费地址"));
        QCOMPARE(rows.at(8), Utf8("注意交费: 建议使用校园卡交费"));
        QCOMPARE(test.Control<QLineEdit>(kPasswordBox).text().isEmpty(), !remember);
        QCOMPARE(test.window->WindowIconShown(), 139);
        test.window->OnDisconnect();
        QCOMPARE(test.window->StatusList().RowTexts(), QStringList{Utf8("状态: 未连接")});
        QCOMPARE(test.window->WindowIconShown(), 158);
        QVERIFY(test.Shown().isEmpty());
    }

    void failureFocusAndMessage_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("focused");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("-1 no password") << "carol"
                                        << "" << kPasswordBox << Utf8("请输入密码") << true;
        QTest::newRow("-1 wrong password") << "carol"
                                           << "nope" << kPasswordBox << QString() << true;
        QTest::newRow("-2 no user name") << ""
                                         << "x" << kUserBox << Utf8("请输入用户名") << true;
        QTest::newRow("-4 no server") << "carol"
                                      << "Carol-pw-7" << kUserBox << QString() << false;
    }
    void failureFocusAndMessage() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, focused);
        QFETCH(QString, message);
        QFETCH(bool, reachable);
        if (!reachable) {
            // A port that was free a moment ago: nothing listens there.
            const auto [fd, port] = testsupport::BindLoopback();
            QVERIFY(fd >= 0);
            ::close(fd);
            m_gateway.WriteClientFolder(Folder(), false, port);
        }
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.window->show();
        QVERIFY(QTest::qWaitForWindowActive(test.window.get()));
        Enter(test, name, password);
        test.window->OnConnect();
        QCOMPARE(test.Shown().size(), 1);
        if (!message.isEmpty()) {
            QCOMPARE(test.Shown().at(0), message);
        }
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("id%1").arg(focused));
        QCOMPARE(test.window->StatusList().RowTexts().size(), 1);
    }

    void noPaidRightAnsweredOkConnectsFree() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        Enter(test, "bob", "Bob-pass-1", true);
        test.messageBox.QueueAnswer(true);
        test.window->OnConnect();
        QCOMPARE(test.Shown(),
                 QStringList{
                     Utf8("您当前使用的账号没有访问收费地址的权限，是否选择访问免费地址范围？")});
        QVERIFY(test.window->Client().IsConnected());
        QVERIFY(test.Control<QRadioButton>(kRadioFree).isChecked());
        QVERIFY(!test.Control<QRadioButton>(kRadioPaid).isChecked());
        Disconnect(test);
    }

    void tooManyConnectionsAnsweredOkDisconnectsAllAndConnects() {
        QCOMPARE(
            apptest::ConnectDirectly(m_gateway.Port(), m_gateway.CaFile(), "alice", "Secret-99"),
            gateway::RESULT_OK);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        Enter(test, "alice", "Secret-99");
        test.messageBox.QueueAnswer(true);
        test.window->OnConnect();
        QCOMPARE(test.Shown(),
                 QStringList{Utf8("当前连接数超过预定值，也可能是您上次登录后忘记断开连接引起。"
                                  "是否断开所有连接后重试？")});
        QVERIFY(test.window->Client().IsConnected());
        QCOMPARE(test.window->StatusList().RowTexts().value(3), Utf8("包月状态: 包月20元"));
        Disconnect(test);
    }

    void automaticLogonConnectsDuringStart() {
        apptest::SaveAccount(Folder(), Account("dave", "Dave-pass-4", true, config::ACCESS_OVERALL),
                             true, true);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        QVERIFY(test.window->Client().IsConnected());
        QCOMPARE(test.window->StatusList().RowTexts().value(5),
                 Utf8("访问范围: 免费地址、收费地址"));
        QVERIFY(test.Control<QCheckBox>(kAutoLogon).isChecked());
        QVERIFY(test.Control<QRadioButton>(kRadioPaid).isChecked());
        QVERIFY(test.Shown().isEmpty());
        Disconnect(test);
    }

    void savedAccountBecomesTheDefault() {
        {
            WindowUnderTest test(Folder());
            test.window->Initialise();
            Enter(test, "carol", "Carol-pw-7");
            test.Control<QCheckBox>(kRememberPassword).click();
            test.window->OnConnect();
            QVERIFY(test.window->Client().IsConnected());
            Disconnect(test);
        }
        WindowUnderTest again(Folder());
        again.window->Initialise();
        QCOMPARE(again.Control<QComboBox>(kUserBox).currentText(), QStringLiteral("carol"));
        QCOMPARE(again.Control<QLineEdit>(kPasswordBox).text(), QStringLiteral("Carol-pw-7"));
        QVERIFY(again.Control<QCheckBox>(kRememberPassword).isChecked());
        QVERIFY(!again.Control<QCheckBox>(kAutoLogon).isChecked());
    }

    void checkBoxChain_data() {
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("expected");
        // The states of save, remember and automatic, as 0 and 1.
        QTest::newRow("auto on ticks the others") << kAutoLogon << "100"
                                                  << "111";
        QTest::newRow("save off clears all") << kSaveAccount << "111"
                                             << "000";
        QTest::newRow("remember on ticks save") << kRememberPassword << "000"
                                                << "110";
        QTest::newRow("remember off clears auto") << kRememberPassword << "111"
                                                  << "100";
        QTest::newRow("auto off alone") << kAutoLogon << "111"
                                        << "110";
        QTest::newRow("save on alone") << kSaveAccount << "000"
                                       << "100";
    }
    void checkBoxChain() {
        QFETCH(int, clicked);
        QFETCH(QString, start);
        QFETCH(QString, expected);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        const int boxes[] = {kSaveAccount, kRememberPassword, kAutoLogon};
        for (int index = 0; index < 3; ++index) {
            test.Control<QCheckBox>(boxes[index]).setChecked(start.at(index) == QLatin1Char('1'));
        }
        test.Control<QCheckBox>(clicked).click();
        QString state;
        for (const int box : boxes) {
            state += test.Control<QCheckBox>(box).isChecked() ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(state, expected);
    }

    void choosingAndTypingAccounts() {
        apptest::SaveAccount(Folder(), Account("zed", "Zed-pass", true, config::ACCESS_OVERALL),
                             true, true);
        apptest::SaveAccount(Folder(), Account("amy", "", false), false, true);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.window->OnConnect(); // zed is unknown to the gateway: refused, nothing saved
        auto& user = test.Control<QComboBox>(kUserBox);
        QCOMPARE(user.itemText(0), QStringLiteral("amy"));
        QCOMPARE(user.itemText(1), QStringLiteral("zed"));
        QTest::keyClick(user.lineEdit(), Qt::Key_Backspace);
        QVERIFY(test.Control<QLineEdit>(kPasswordBox).text().isEmpty());
        QVERIFY(test.Control<QRadioButton>(kRadioFree).isChecked());
        QVERIFY(!test.Control<QCheckBox>(kAutoLogon).isChecked());
        emit user.activated(1);
        QCOMPARE(test.Control<QLineEdit>(kPasswordBox).text(), QStringLiteral("Zed-pass"));
        QVERIFY(test.Control<QCheckBox>(kAutoLogon).isChecked());
        QVERIFY(test.Control<QRadioButton>(kRadioPaid).isChecked());
        emit user.activated(0);
        QVERIFY(test.Control<QLineEdit>(kPasswordBox).text().isEmpty());
        QVERIFY(!test.Control<QCheckBox>(kRememberPassword).isChecked());
    }

    void deleteCurrentAccount() {
        apptest::SaveAccount(Folder(), Account("amy", "Amy-pass", true), false, false);
        apptest::SaveAccount(Folder(), Account("zed", "Zed-pass", true), true, true);
        WindowUnderTest test(Folder());
        test.messageBox.QueueAnswer(true);
        test.window->Initialise();
        test.window->OnDisconnect(); // leaves the failed automatic log-on behind
        test.window->Panel().OnDeleteCurrent();
        QCOMPARE(test.Control<QComboBox>(kUserBox).count(), 1);
        QVERIFY(test.Control<QComboBox>(kUserBox).currentText().isEmpty());
        config::CVORNXMLSecureConfig store(Folder());
        QVERIFY(store.Open());
        QVERIFY(!store.GetAutoLogon());
        std::array<config::UserInfo, 10> users;
        std::size_t count = 0;
        QVERIFY(store.GetUserList(users, count));
        QCOMPARE(count, std::size_t{1});
        QCOMPARE(std::string(users[0].username.View()), std::string("amy"));
    }

    void deleteCurrentWithoutNameAsksToChoose() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.window->Panel().OnDeleteCurrent();
        QCOMPARE(test.Shown(), QStringList{Utf8("请选择一个帐户")});
    }

    void deleteAllAccounts_data() {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void deleteAllAccounts() {
        QFETCH(bool, confirmed);
        apptest::SaveAccount(Folder(), Account("amy", "Amy-pass", true), true, false);
        apptest::SaveAccount(Folder(), Account("zed", "Zed-pass", true), false, false);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.messageBox.QueueAnswer(confirmed);
        test.window->Panel().OnDeleteAll();
        QCOMPARE(test.Control<QComboBox>(kUserBox).count(), confirmed ? 0 : 2);
        config::CVORNXMLSecureConfig store(Folder());
        QVERIFY(store.Open());
        std::array<config::UserInfo, 10> users;
        std::size_t count = 0;
        QVERIFY(store.GetUserList(users, count));
        QCOMPARE(count, confirmed ? std::size_t{0} : std::size_t{2});
    }

    void enterConnectsFromAnyControl_data() {
        QTest::addColumn<int>("control");
        for (const int id : {kUserBox, kPasswordBox, kRadioPaid, kAutoLogon, 1009, 1008}) {
            QTest::addRow("id%d", id) << id;
        }
    }
    void enterConnectsFromAnyControl() {
        QFETCH(int, control);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.window->show();
        QVERIFY(QTest::qWaitForWindowActive(test.window.get()));
        Enter(test, "carol", "Carol-pw-7");
        auto& widget = test.Control<QWidget>(control);
        widget.setFocus();
        QTest::keyClick(&widget, Qt::Key_Return);
        QVERIFY(test.window->Client().IsConnected());
        QVERIFY(test.window->isVisible());
        Disconnect(test);
    }

    void overlongAndNonGbkInputIsRefused() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        auto& user = test.Control<QComboBox>(kUserBox);
        Type(*user.lineEdit(), QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QCOMPARE(user.currentText(), QStringLiteral("abcdefghijklmnopqrs"));
        user.lineEdit()->clear();
        Type(*user.lineEdit(), Utf8("汉字汉字汉字汉字汉字汉字"));
        QCOMPARE(user.currentText(), Utf8("汉字汉字汉字汉字汉"));
        Enter(test, "carol", "Carol-pw-7");
        test.window->OnConnect();
        QVERIFY(test.window->Client().IsConnected());
        Disconnect(test);
        Enter(test, Utf8("carol😀"), "Carol-pw-7");
        test.window->OnConnect();
        QVERIFY(!test.window->Client().IsConnected());
        QCOMPARE(test.Shown().size(), 1);
        QVERIFY(test.Shown().at(0).startsWith(Utf8("用户名中有无法使用的字符")));
    }

    void windowPaintsWhileASlowGatewayAnswers() {
        testsupport::CSilentListener silent;
        m_gateway.WriteClientFolder(Folder(), false, silent.Port());
        WindowUnderTest test(Folder(), std::chrono::milliseconds(1500));
        test.window->Initialise();
        test.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(test.window.get()));
        Enter(test, "carol", "Carol-pw-7");
        int paintsWhileBusy = 0;
        int nestedConnects = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] {
            if (!test.window->IsBusy()) {
                return;
            }
            // A second command while the first runs is ignored, not nested.
            test.window->OnConnect();
            nestedConnects += test.window->IsBusy() ? 0 : 1;
            test.window->StatusList().viewport()->update();
        });
        struct PaintCounter : QObject {
            int* count;
            const app::CVORNClientDlg* window;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint && window->IsBusy()) {
                    ++*count;
                }
                return false;
            }
        } counter;
        counter.count = &paintsWhileBusy;
        counter.window = test.window.get();
        test.window->StatusList().viewport()->installEventFilter(&counter);
        ticker.start(50);
        test.window->OnConnect();
        QVERIFY(paintsWhileBusy > 0);
        QCOMPARE(nestedConnects, 0);
        QCOMPARE(test.Shown().size(), 1); // the time-out, once
        QVERIFY(!test.window->IsBusy());
    }

    void sigtermSendsTheDisconnect() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        app::CSessionEnd sessionEnd;
        QVERIFY(sessionEnd.Start());
        connect(&sessionEnd, &app::CSessionEnd::sessionEnding, test.window.get(),
                &app::CVORNClientDlg::OnSessionEnding);
        QSignalSpy quit(test.window.get(), &app::CVORNClientDlg::quitRequested);
        Enter(test, "erin", "Erin-pass-5");
        test.window->OnConnect();
        QVERIFY(test.window->Client().IsConnected());
        QCOMPARE(
            apptest::ConnectDirectly(m_gateway.Port(), m_gateway.CaFile(), "erin", "Erin-pass-5"),
            gateway::RESULT_TOO_MANY_CONNECTIONS);
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(quit.count(), 1);
        QVERIFY(!test.window->Client().IsConnected());
        // The request reached the server: the one connection erin may have is free again.
        QCOMPARE(
            apptest::ConnectDirectly(m_gateway.Port(), m_gateway.CaFile(), "erin", "Erin-pass-5"),
            gateway::RESULT_OK);
        test.window->OnDisconnect();
    }

    void secondCopyHandsOver() {
        const QString name = QStringLiteral("%1/copy.socket").arg(m_folder->path());
        app::CSingleInstance first(name);
        QVERIFY(!first.HandOver());
        QVERIFY(first.Listen());
        QSignalSpy started(&first, &app::CSingleInstance::otherCopyStarted);
        std::atomic<bool> handedOver = false;
        std::thread second([&] { handedOver = app::CSingleInstance(name).HandOver(); });
        QTRY_COMPARE(started.count(), 1);
        QTRY_VERIFY(handedOver.load());
        second.join();
    }

    void trayClicks() {
        std::function<void()> pendingDelay;
        WindowUnderTest test(
            Folder(), std::chrono::seconds(15),
            [&](std::function<void()> elapsed) { pendingDelay = std::move(elapsed); });
        test.window->Initialise();
        test.window->show();
        test.window->HideToTray();
        app::CTrayIcon& tray = test.window->Tray();
        QSignalSpy menus(&tray, &app::CTrayIcon::menuShown);
        // A double click within the delay restores the window and shows no menu.
        tray.OnActivated(QSystemTrayIcon::Trigger);
        tray.OnActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(pendingDelay);
        std::exchange(pendingDelay, {})();
        QCOMPARE(menus.count(), 0);
        QVERIFY(!test.window->IsHidden());
        QVERIFY(test.window->isVisible());
        // A single click alone shows the menu once the delay has passed.
        tray.OnActivated(QSystemTrayIcon::Trigger);
        QCOMPARE(menus.count(), 0);
        std::exchange(pendingDelay, {})();
        QCOMPARE(menus.count(), 1);
        QTRY_VERIFY(tray.Menu().isVisible());
        tray.Menu().hide();
        QVERIFY(!tray.ClickPending());
    }

    // The probes run against gatewayd's responders, which the test silences and wakes; the
    // guard, when on, pins the gateway of fake tables from the list gatewayd publishes.
    void trayIconFollowsTheProbesAndTheGuard_data() {
        QTest::addColumn<bool>("guarded");
        QTest::addColumn<int>("campusIcon");
        QTest::addColumn<int>("domesticIcon");
        QTest::addColumn<int>("noneIcon");
        QTest::newRow("without the guard") << false << 158 << 159 << 152;
        QTest::newRow("with the guard") << true << 165 << 166 << 167;
    }
    void trayIconFollowsTheProbesAndTheGuard() {
        QFETCH(bool, guarded);
        QFETCH(int, campusIcon);
        QFETCH(int, domesticIcon);
        QFETCH(int, noneIcon);
        m_gateway.PublishIPMACList(
            "<IP2MAC><IPMAC ip=\"" + arpguard::CIPMACCache::FormatIP(arpguard::kIPMACSentinel) +
            "\" mac=\"0000005e0001\"/><IPMAC ip=\"cb007101\" mac=\"02005e005301\"/></IP2MAC>");
        platform::CFakeNetworkTables tables;
        platform::RouteEntry route;
        route.gateway = htonl(0xcb007101);
        route.interfaceIndex = 7;
        route.type = RTN_UNICAST;
        tables.SetRoutes({route});
        tables.SetHost(route.gateway, {0x02, 0x00, 0x5e, 0x00, 0x53, 0x01});
        m_gateway.Control("heartbeat domestic silent");
        WindowUnderTest test(Folder(), std::chrono::seconds(15), {},
                             [&](app::WindowOptions& options) {
                                 options.probeInterval = 20;
                                 options.arpGuard = guarded;
                                 options.networkTables = &tables;
                             });
        test.window->Initialise();
        QCOMPARE(test.window->TrayIconShown(), 158);
        QTRY_COMPARE(test.window->GuardHoldsEntry(), guarded);

        m_gateway.Control("heartbeat domestic answer");
        QTRY_COMPARE(test.window->TrayIconShown(), domesticIcon);
        m_gateway.Control("heartbeat domestic silent");
        QTRY_COMPARE(test.window->TrayIconShown(), campusIcon);
        m_gateway.Control("heartbeat campus silent");
        QTRY_COMPARE(test.window->TrayIconShown(), noneIcon);
        m_gateway.Control("heartbeat campus answer");
        m_gateway.Control("heartbeat domestic answer");
        QTRY_COMPARE(test.window->TrayIconShown(), domesticIcon);
        QVERIFY(test.Shown().isEmpty());
    }

    // The feed fetches gatewayd's document at the start and the popup shows its titles; the
    // exit routine stops the feed.
    void announcementsPopUpAtTheStart() {
        m_gateway.PublishAnnouncements(platform::GbkFromLiteral(
            "<message-list><message><title>周六凌晨网络维护</title><body>暂停服务</body>"
            "<url>http://localhost/n/1</url></message><message><title>Fee schedule</title>"
            "<body>-</body><url>http://localhost/n/2</url></message></message-list>"));
        WindowUnderTest test(Folder(), std::chrono::seconds(15), {},
                             [](app::WindowOptions& options) { options.announcements = true; });
        test.window->Initialise();
        const ui::CVORNNotificationBox* popup = test.window->NotificationBox();
        QVERIFY(popup != nullptr);
        // The feed hands the lines to the UI thread without waiting, so they come in time.
        const auto lines = [popup] {
            QStringList texts;
            for (const int id : ui::CVORNNotificationBox::kLineIds) {
                texts << popup->findChild<QLabel*>(QStringLiteral("id%1").arg(id))->text();
            }
            return texts;
        };
        QTRY_COMPARE(lines(), QStringList({Utf8("1. 周六凌晨网络维护"), Utf8("2. Fee schedule"),
                                           QString(), QString()}));
        QVERIFY(popup->IsShowing());
        QSignalSpy quit(test.window.get(), &app::CVORNClientDlg::quitRequested);
        test.window->OnExit();
        QCOMPARE(quit.count(), 1);
    }

    // A sealed file from another machine, or a damaged one, is neither read nor replaced.
    void unreadableSettingsAreReportedAndKept() {
        const std::string foreign(512, '\x5a');
        {
            std::ofstream out(Folder() / "config", std::ios::binary);
            out << foreign;
        }
        WindowUnderTest test(Folder());
        test.window->Initialise();
        QCOMPARE(test.Shown().size(), 1);
        QVERIFY2(test.Shown().at(0).contains(QLatin1String("config")),
                 qPrintable(test.Shown().at(0)));
        QCOMPARE(test.window->Panel().UserBox().count(), 0);
        test.window.reset();
        std::ifstream in(Folder() / "config", std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), foreign);
    }

    // The tray's item, found as a user finds it: in the tools submenu.
    static QAction& ReconnectItem(WindowUnderTest& test) {
        QAction* found = nullptr;
        for (QAction* action : test.window->Tray().Menu().actions()) {
            if (action->menu() == nullptr) {
                continue;
            }
            for (QAction* item : action->menu()->actions()) {
                if (item->text() == Utf8("断线自动重连")) {
                    found = item;
                }
            }
        }
        if (found == nullptr) {
            qFatal("no reconnect item in the tray's submenus");
        }
        return *found;
    }

    static bool SavedReconnect(const std::filesystem::path& folder) {
        config::CVORNXMLSecureConfig store(folder);
        return store.Open() && store.GetReconnect();
    }

    void reconnectItemRoundTripsThroughTheSettings() {
        {
            WindowUnderTest test(Folder());
            test.window->Initialise();
            QAction& item = ReconnectItem(test);
            QVERIFY(item.isCheckable());
            QVERIFY(!item.isChecked());
            QVERIFY(!test.window->Keeper().IsEnabled());
            item.trigger();
            QVERIFY(item.isChecked());
            QVERIFY(test.window->Keeper().IsEnabled());
            QVERIFY(SavedReconnect(Folder()));
        }
        WindowUnderTest again(Folder());
        again.window->Initialise();
        QAction& item = ReconnectItem(again);
        QVERIFY(item.isChecked());
        QVERIFY(again.window->Keeper().IsEnabled());
        item.trigger();
        QVERIFY(!item.isChecked());
        QVERIFY(!SavedReconnect(Folder()));
        QVERIFY(again.Shown().isEmpty());
    }

    // gatewayd's drop also silences its domestic responder until the account connects
    // again, so the tray's domestic icon comes back only through a reconnect.
    void reconnectsAfterTheGatewayDropsTheConnection() {
        WindowUnderTest test(Folder(), std::chrono::seconds(15), {},
                             [](app::WindowOptions& options) { options.probeInterval = 20; });
        test.window->Initialise();
        ReconnectItem(test).trigger();
        Enter(test, "frank", "Frank-pass-6");
        test.Control<QPushButton>(1007).click();
        QVERIFY(test.window->Client().IsConnected());
        QTRY_COMPARE(test.window->TrayIconShown(), 159);
        test.window->StatusList().ShowRows(gateway::DisconnectedStatusRows());

        QCOMPARE(m_gateway.Control("drop frank"), std::string("ok dropped 1"));
        QTRY_COMPARE(test.window->TrayIconShown(), 158);
        QTRY_COMPARE(test.window->TrayIconShown(), 159);
        QCOMPARE(test.window->StatusList().RowTexts().value(1), Utf8("用户名: frank"));
        QCOMPARE(m_gateway.Control("connections frank"), std::string("ok 1"));
        QCOMPARE(test.window->Keeper().Policy().GetPhase(),
                 heartbeat::CReconnectPolicy::Phase::Watching);
        QVERIFY(test.Shown().isEmpty());
        Disconnect(test);
        QCOMPARE(m_gateway.Control("connections frank"), std::string("ok 0"));
    }

    void missingHeartbeatEntriesAreReported() {
        QFile settings(QString::fromStdString((Folder() / "config.xml").string()));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(settings.readAll());
        settings.close();
        text.remove(QRegularExpression(QStringLiteral("<HBS(Cam|Dom)>[^<]*</HBS(Cam|Dom)>")));
        QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write(text.toUtf8());
        settings.close();
        WindowUnderTest test(Folder());
        test.window->Initialise();
        QCOMPARE(test.Shown(), QStringList({QStringLiteral("Error:Register Campus HBS"),
                                            QStringLiteral("Error:Register Domestic HBS")}));
    }

    void closeMinimiseAndEscapeHideToTheTray() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        if (!test.window->UsesTray()) {
            // Without a tray, close runs the exit routine, which quits when not connected.
            QSignalSpy quit(test.window.get(), &app::CVORNClientDlg::quitRequested);
            test.window->show();
            test.window->close();
            QCOMPARE(quit.count(), 1);
            return;
        }
        test.window->show();
        test.window->close();
        QVERIFY(test.window->IsHidden());
    }

    void everyControlHasAnAccessibleName() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.window->show();
        const auto widgets = test.window->centralWidget()->findChildren<QWidget*>();
        int named = 0;
        for (QWidget* widget : widgets) {
            if (!widget->objectName().startsWith(QLatin1String("id"))) {
                continue;
            }
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(accessible != nullptr, qPrintable(widget->objectName()));
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(),
                     qPrintable(widget->objectName()));
            ++named;
        }
        QCOMPARE(named, 18);
        QAccessibleInterface* list =
            QAccessible::queryAccessibleInterface(&test.window->StatusList());
        QCOMPARE(list->text(QAccessible::Name), Utf8("连接信息"));
        QStringList rows;
        for (int index = 0; index < list->childCount(); ++index) {
            rows << list->child(index)->text(QAccessible::Name);
        }
        QVERIFY2(rows.contains(Utf8("状态: 未连接")), qPrintable(rows.join(QLatin1Char('|'))));
    }

    void networkReportIsWrittenAndOpened() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.window->Tools().OnNetworkReport();
        QCOMPARE(test.openedReports.size(), std::size_t{1});
        QCOMPARE(test.openedReports.at(0), Folder() / "nsr.txt");
        QVERIFY(std::filesystem::file_size(Folder() / "nsr.txt") > 0);
    }

    // The report command of both menus writes and opens the report; no command is left
    // disabled.
    void menuCommandsWork() {
        WindowUnderTest test(Folder());
        test.window->Initialise();
        QMenu* toolsMenu = nullptr;
        for (QAction* action : test.window->menuBar()->actions()) {
            if (action->text() == Utf8("工具(&T)")) {
                toolsMenu = action->menu();
            }
        }
        QVERIFY(toolsMenu != nullptr);
        QMenu* trayTools = nullptr;
        for (QAction* action : test.window->Tray().Menu().actions()) {
            if (action->menu() != nullptr) {
                trayTools = action->menu();
            }
        }
        QVERIFY(trayTools != nullptr);
        for (QMenu* menu : {toolsMenu, trayTools}) {
            QList<QAction*> commands = menu->actions();
            if (menu == trayTools) {
                // The tray's submenu ends with the switches for starting at log-in and for
                // reconnecting after a drop.
                QCOMPARE(commands.size(), 7);
                QVERIFY(commands.at(4)->isSeparator());
                QCOMPARE(commands.at(5)->objectName(), QStringLiteral("autostart"));
                QCOMPARE(commands.at(6)->objectName(), QStringLiteral("reconnectItem"));
                commands.resize(4);
            }
            QCOMPARE(commands.size(), 4);
            for (QAction* action : commands) {
                QVERIFY2(action->isEnabled(), qPrintable(action->text()));
            }
            std::filesystem::remove(Folder() / "nsr.txt");
            menu->actions().at(0)->trigger();
            QVERIFY(std::filesystem::file_size(Folder() / "nsr.txt") > 0);
        }
        QCOMPARE(test.openedReports.size(), std::size_t{2});
    }

    void screenshots() {
        const QString folder = QStringLiteral(VORN_SCREENSHOT_DIR);
        QDir().mkpath(folder);
        WindowUnderTest test(Folder());
        test.window->Initialise();
        test.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(test.window.get()));
        QVERIFY(test.window->grab().save(folder + QStringLiteral("/main-not-connected.png")));
        Enter(test, "alice", "Secret-99");
        test.window->OnConnect();
        QVERIFY(test.window->Client().IsConnected());
        QVERIFY(test.window->grab().save(folder + QStringLiteral("/main-connected.png")));
        Disconnect(test);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
