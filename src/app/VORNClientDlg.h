#pragma once

#include "announce/VORNNotification.h"
#include "app/AccountPanel.h"
#include "app/ConnectFlow.h"
#include "app/ReconnectKeeper.h"
#include "app/SecondaryDialogs.h"
#include "app/SessionEnd.h"
#include "app/StatusList.h"
#include "app/ToolCommands.h"
#include "app/TrayIcon.h"
#include "arpguard/BindMAC.h"
#include "config/VORNXMLSecureConfig.h"
#include "gateway/QELOpenSSLVORNClient.h"
#include "heartbeat/ConWatchDog.h"
#include "heartbeat/HBSSetting.h"
#include "heartbeat/ReachState.h"
#include "platform/MessageBox.h"
#include "platform/NetworkTables.h"
#include "ui/DialogUnits.h"
#include "ui/VORNNotificationBox.h"

#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

namespace app {

// The reachability states of the heartbeat's state machine, which the tray shows.
using heartbeat::REACH_CAMPUS;
using heartbeat::REACH_DOMESTIC;
using heartbeat::REACH_NONE;

// What the window is made with; the program takes the defaults, tests their own.
struct WindowOptions {
    std::filesystem::path folder; // holds "config", "config.xml" and "ca.cer"; empty: current
    std::chrono::milliseconds gatewayTimeout = std::chrono::seconds(15);
    CTrayIcon::DelayStarter trayClickDelay; // empty: 800 ms on a timer
    diag::CNSReport::OpenReport openReport; // empty: the desktop's text editor
    bool arpGuard = true; // start the ARP guard when the process may change the table
    // The tables the guard works on; null: the system's, guarded only when the process may
    // change them.
    platform::CNetworkTables* networkTables = nullptr;
    std::int32_t probeInterval = heartbeat::kHBSInterval; // ms, of both heartbeat probes
    bool announcements = true;                            // start the announcement feed
};

// The main window and session controller: it owns the configuration store and the gateway
// client, lays out template 102, and runs the flows, the status list and the tray.
class CVORNClientDlg final : public QMainWindow, public CFlowHost {
    Q_OBJECT

public:
    // messageBox and dialogs answer the window's questions, messageBox also those of a
    // gateway operation's worker thread; both must outlive the window.
    CVORNClientDlg(WindowOptions options, platform::CMessageBox& messageBox,
                   CSecondaryDialogs& dialogs);
    ~CVORNClientDlg() override;

    // The initialisation before the window is first shown: the store, the tray, the saved
    // accounts with the default one, and the automatic log-on.
    void Initialise();

    // Commands of the buttons and menus.
    void OnConnect();
    void OnDisconnect();
    void OnTrayDisconnect();
    void OnDisconnectAll();
    void OnExit();
    void OnOpenWindow();
    void OnCheckUpdates();
    void OnNotice();
    void OnAbout();
    CToolCommands& Tools() { return m_tools; }

    // Another copy was started: show the window in front.
    void OnOtherCopy();
    // The session or the machine is ending: send the disconnect request first.
    void OnSessionEnding(CSessionEnd::Reason reason);

    void HideToTray();
    void RestoreWindow();
    bool IsHidden() const { return m_bHidden; }
    bool IsBusy() const { return m_bBusy; }

    // Whether close and minimise go to the tray: only where the desktop has one.
    bool UsesTray() const { return m_bTrayAvailable; }

    CStatusList& StatusList() { return *m_listStatus; }
    CAccountPanel& Panel() { return *m_panel; }
    CTrayIcon& Tray() { return m_tray; }
    CReconnectKeeper& Keeper() { return m_keeper; }
    const gateway::CQELVORNClient& Client() const { return *m_client; }
    int TrayIconShown() const { return m_nTrayIcon; }
    // The announcement popup while the feed runs; null otherwise.
    const ui::CVORNNotificationBox* NotificationBox() const { return m_popup.get(); }
    // The ARP guard runs and holds its static entry.
    bool GuardHoldsEntry() const;
    int WindowIconShown() const { return m_nWindowIcon; }

    // CFlowHost
    void ShowConnected() override;
    void ShowDisconnected() override;
    void RedrawNow() override;
    int RunGatewayOperation(const std::function<int()>& operation) override;

signals:
    // The exit routine has ended the run: the program quits.
    void quitRequested();
    // A probe changed the reachability state; emitted on the probe's thread.
    void reachStateChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls(QWidget& clientArea);
    void CreateMenus();
    void CreateTrayMenu();
    void AddToolActions(QMenu& menu, const std::array<const char*, 4>& texts);
    QPushButton* AddButton(QWidget& clientArea, std::string_view text, int id, QRect rect,
                           void (CVORNClientDlg::*command)());
    // Runs a command unless one is running; a session end that came meanwhile follows it.
    void RunCommand(const std::function<void()>& command);
    void StartHeartbeat();
    void ShowReachState();
    // One reconnect that the keeper asks for, run as a command.
    int Reconnect(bool disconnectAll);
    void UpdateTrayIcon();
    void SetWindowIconId(int id);
    void EndSession(CSessionEnd::Reason reason);
    void StartArpGuard();
    void StopArpGuard();

    WindowOptions m_options;
    platform::CMessageBox& m_messageBox;
    CSecondaryDialogs& m_dialogs;
    ui::CDialogUnits m_units;
    config::CVORNXMLSecureConfig m_config;
    std::unique_ptr<gateway::CQELOpenSSLVORNClient> m_client;
    CTrayIcon m_tray;
    CStatusList* m_listStatus = nullptr;
    CAccountPanel* m_panel = nullptr;
    std::unique_ptr<CConnectFlow> m_flow;
    CToolCommands m_tools;
    CReconnectKeeper m_keeper;
    ui::AboutSites m_sites;
    QList<QPushButton*> m_gatewayButtons;
    platform::CSystemNetworkTables m_systemTables;
    std::unique_ptr<arpguard::CBindMAC> m_bindMAC;
    std::unique_ptr<ui::CVORNNotificationBox> m_popup;
    std::unique_ptr<announce::CVORNNotification> m_notification; // ends before the popup
    heartbeat::CReachState m_reach;
    heartbeat::CConWatchDog m_watchDog; // stopped before the reachability state ends
    int m_nReachState = REACH_CAMPUS;   // the UI thread's copy, which the tray shows
    int m_nTrayIcon = 0;
    int m_nWindowIcon = 0;
    bool m_bConfigOpen = false;
    bool m_bTrayAvailable = false;
    bool m_bHidden = false;
    bool m_bBusy = false;
    std::optional<CSessionEnd::Reason> m_pendingSessionEnd;
};

} // namespace app
