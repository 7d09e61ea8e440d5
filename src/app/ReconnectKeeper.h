#pragma once

#include "config/VORNConfig.h"
#include "heartbeat/ReconnectPolicy.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

namespace app {

// The window's side of the reconnect policy: the tray's "断线自动重连" item, kept in the
// settings' Reconnect switch, and, while it is on, the reconnects that the policy asks
// for, run on the UI thread through the window. A policy that stops says why once.
class CReconnectKeeper final : public QObject {
    Q_OBJECT

public:
    // What the keeper needs of the window.
    struct Host {
        // A command runs, so an attempt must wait.
        std::function<bool()> busy;
        // Runs one reconnect (disconnecting all first when asked) as a gateway operation of
        // the window, shows a success as a connect does, and answers the code.
        std::function<int(bool disconnectAll)> attempt;
        // The client's message, shown after the reason of a stop.
        std::function<std::string()> clientMessage;
    };

    // settings and messageBox must outlive the keeper.
    CReconnectKeeper(config::CVORNConfig& settings, platform::CMessageBox& messageBox, Host host,
                     QObject* parent = nullptr);

    // Adds the checkable item to menu; it is unchecked until Load.
    void AddMenuItem(QMenu& menu);

    // Takes the item's state from the opened settings, and listens for resumes from
    // suspend on the system bus when there is one.
    void Load();

    bool IsEnabled() const { return m_enabled; }
    QAction* MenuItem() const { return m_item; }
    const heartbeat::CReconnectPolicy& Policy() const { return m_policy; }

    // What the window saw: a connect shown, a disconnect shown, a new reachability state,
    // a resume. Those shown while a reconnect runs are the reconnect's own and not news.
    void Connected();
    void Disconnected();
    void ReachChanged(int state);

private:
    void SetEnabled(bool on);
    void Step();

    Q_SLOT void OnPrepareForSleep(bool sleeping);

    config::CVORNConfig& m_settings;
    platform::CMessageBox& m_messageBox;
    Host m_host;
    heartbeat::CReconnectPolicy m_policy;
    QTimer m_timer;
    QAction* m_item = nullptr;
    bool m_enabled = false;
    bool m_connected = false; // the window shows a connection
};

} // namespace app
