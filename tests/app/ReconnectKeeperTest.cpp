#include "app/ReconnectKeeper.h"

#include "config/VORNXMLConfig.h"
#include "gateway/QELVORNClient.h"
#include "heartbeat/ReachState.h"
#include "platform/ScriptedMessageBox.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/TempFolder.h"

#include <QTest>
#include <deque>
#include <memory>
#include <vector>

using heartbeat::REACH_CAMPUS;
using heartbeat::REACH_DOMESTIC;

// The keeper against a window stand-in that answers attempts from a script.
class ReconnectKeeperTest : public QObject {
    Q_OBJECT

    struct Window {
        std::deque<int> codes;      // the attempts' results, in order
        std::vector<bool> attempts; // disconnectAll of each attempt made
        bool busy = false;
    };

    static app::CReconnectKeeper::Host HostOf(Window& window) {
        return {[&window] { return window.busy; },
                [&window](bool disconnectAll) {
                    window.attempts.push_back(disconnectAll);
                    const int code =
                        window.codes.empty() ? gateway::RESULT_FAILED : window.codes.front();
                    if (!window.codes.empty()) {
                        window.codes.pop_front();
                    }
                    return code;
                },
                [] { return std::string("server says no"); }};
    }

    // Settings with the switch on, a connection shown, and the domestic server answering.
    struct Rig {
        Rig() {
            QVERIFY(settings.LoadXml(
                R"(<VORNClientConfig><Style Reconnect="true"/></VORNClientConfig>)"));
            keeper.Load();
            keeper.Connected();
            keeper.ReachChanged(REACH_DOMESTIC);
        }

        config::CVORNXMLConfig settings;
        platform::CScriptedMessageBox messageBox;
        Window window;
        app::CReconnectKeeper keeper{settings, messageBox, HostOf(window)};
    };

    static std::vector<std::string> Texts(const platform::CScriptedMessageBox& messageBox) {
        std::vector<std::string> texts;
        for (const platform::CScriptedMessageBox::Shown& shown : messageBox.ShownBoxes()) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    // The system bus of the whole program is a private one, on which the test is logind.
    std::unique_ptr<testsupport::CTempFolder> m_folder;
    std::unique_ptr<testsupport::CPrivateBus> m_bus;
    std::unique_ptr<testsupport::CSystemBusAddress> m_address;

private slots:
    void initTestCase() {
        m_folder = std::make_unique<testsupport::CTempFolder>();
        m_bus = std::make_unique<testsupport::CPrivateBus>(*m_folder);
        QVERIFY(m_bus->IsUp());
        m_address = std::make_unique<testsupport::CSystemBusAddress>(m_bus->Address());
    }

    void resumeFromSuspendReconnects() {
        testsupport::CFakeLogind logind;
        QVERIFY(logind.IsReady());
        Rig rig;
        rig.window.codes = {gateway::RESULT_OK};
        QVERIFY(logind.PrepareForSleep(true));
        QVERIFY(logind.PrepareForSleep(false));
        QTRY_COMPARE(rig.window.attempts, std::vector<bool>{false});
        QCOMPARE(rig.keeper.Policy().Trigger(), std::string("the machine resumed from suspend"));
        QCOMPARE(rig.keeper.Policy().GetPhase(), heartbeat::CReconnectPolicy::Phase::Watching);
    }

    void dropIsFollowedByOneReconnect() {
        Rig rig;
        rig.window.codes = {gateway::RESULT_OK};
        rig.keeper.ReachChanged(REACH_CAMPUS);
        QCOMPARE(rig.window.attempts, std::vector<bool>{false});
        QCOMPARE(rig.keeper.Policy().GetPhase(), heartbeat::CReconnectPolicy::Phase::Watching);
        // A campus state that goes on is no new drop.
        rig.keeper.Connected();
        rig.keeper.ReachChanged(REACH_CAMPUS);
        QCOMPARE(rig.window.attempts.size(), std::size_t{1});
        QVERIFY(Texts(rig.messageBox).empty());
    }

    void tooManyConnectionsDisconnectsAllOnce() {
        Rig rig;
        rig.window.codes = {gateway::RESULT_TOO_MANY_CONNECTIONS, gateway::RESULT_OK};
        rig.keeper.ReachChanged(REACH_CAMPUS);
        QCOMPARE(rig.window.attempts, (std::vector<bool>{false, true}));
        QCOMPARE(rig.keeper.Policy().GetPhase(), heartbeat::CReconnectPolicy::Phase::Watching);
    }

    void aStopSaysWhyOnce() {
        Rig rig;
        rig.window.codes = {gateway::RESULT_BAD_PASSWORD};
        rig.keeper.ReachChanged(REACH_CAMPUS);
        rig.keeper.ReachChanged(REACH_DOMESTIC);
        rig.keeper.ReachChanged(REACH_CAMPUS);
        QCOMPARE(rig.window.attempts.size(), std::size_t{1});
        QCOMPARE(Texts(rig.messageBox),
                 std::vector<std::string>{
                     "Reconnecting stopped: the password is wrong or missing\nserver says no"});
    }

    void waitsWhileTheWindowIsBusy() {
        Rig rig;
        rig.window.busy = true;
        rig.window.codes = {gateway::RESULT_OK};
        rig.keeper.ReachChanged(REACH_CAMPUS);
        QVERIFY(rig.window.attempts.empty());
        rig.window.busy = false;
        QTRY_COMPARE(rig.window.attempts.size(), std::size_t{1});
        QCOMPARE(rig.keeper.Policy().GetPhase(), heartbeat::CReconnectPolicy::Phase::Watching);
    }

    void offOrDisconnectedItDoesNothing() {
        Rig rig;
        rig.keeper.Disconnected();
        rig.keeper.ReachChanged(REACH_CAMPUS);
        QVERIFY(rig.window.attempts.empty());

        config::CVORNXMLConfig off;
        QVERIFY(off.LoadXml("<VORNClientConfig><Style/></VORNClientConfig>"));
        platform::CScriptedMessageBox messageBox;
        Window window;
        app::CReconnectKeeper keeper(off, messageBox, HostOf(window));
        keeper.Load();
        QVERIFY(!keeper.IsEnabled());
        keeper.Connected();
        keeper.ReachChanged(REACH_DOMESTIC);
        keeper.ReachChanged(REACH_CAMPUS);
        QVERIFY(window.attempts.empty());
    }
};

QTEST_GUILESS_MAIN(ReconnectKeeperTest)
#include "ReconnectKeeperTest.moc"
