#pragma once

#include "app/AccountPanel.h"
#include "app/SecondaryDialogs.h"
#include "config/VORNConfig.h"
#include "gateway/QELVORNClient.h"
#include "platform/MessageBox.h"

#include <functional>

namespace app {

// What the flows need of the window they run in.
class CFlowHost {
public:
    virtual ~CFlowHost() = default;
    virtual void ShowConnected() = 0;
    virtual void ShowDisconnected() = 0;
    // Repaints the window at once, after a box that covered it.
    virtual void RedrawNow() = 0;
    // Runs a gateway operation off the UI thread, the window painting and showing that it
    // is busy meanwhile; answers the operation's result.
    virtual int RunGatewayOperation(const std::function<int()>& operation) = 0;
};

// The connect, disconnect and disconnect-all flows: they read the account panel, hand the
// account to the gateway client, run the operation and act on its result. They run on the
// UI thread; the gateway exchange itself runs through the host.
class CConnectFlow {
public:
    // Everything given must outlive the flow.
    CConnectFlow(CFlowHost& host, CAccountPanel& panel, gateway::CQELVORNClient& client,
                 config::CVORNConfig& config, platform::CMessageBox& messageBox,
                 CSecondaryDialogs& dialogs);

    // The connect flow; automatic at start-up with automatic log-on.
    void DoConnect(bool automatic);
    void OnDisconnect();
    // The tray's disconnect: only while the client believes it is connected.
    void OnTrayDisconnect();
    void OnDisconnectAll();

private:
    void OnConnected(bool automatic);
    void SaveAccount(bool automatic);
    void RetryAfterDisconnectAll(bool automatic);
    bool HandAccountToClient();

    CFlowHost& m_host;
    CAccountPanel& m_panel;
    gateway::CQELVORNClient& m_client;
    config::CVORNConfig& m_config;
    platform::CMessageBox& m_messageBox;
    CSecondaryDialogs& m_dialogs;
};

} // namespace app
