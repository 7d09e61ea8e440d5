#include "app/ConnectFlow.h"

#include "app/WindowTexts.h"
#include "resources/StringTable.h"

namespace app {

CConnectFlow::CConnectFlow(CFlowHost& host, CAccountPanel& panel, gateway::CQELVORNClient& client,
                           config::CVORNConfig& config, platform::CMessageBox& messageBox,
                           CSecondaryDialogs& dialogs)
    : m_host(host), m_panel(panel), m_client(client), m_config(config), m_messageBox(messageBox),
      m_dialogs(dialogs) {}

// The panel has refused what GBK or the client cannot take, so the setters cannot keep an
// earlier account.
bool CConnectFlow::HandAccountToClient() {
    if (!m_panel.ReadControls()) {
        return false;
    }
    return m_client.SetPassword(m_panel.Password().c_str()) &&
           m_client.SetUserName(m_panel.UserName().c_str());
}

void CConnectFlow::DoConnect(bool automatic) {
    if (!HandAccountToClient()) {
        return;
    }
    const int range = m_panel.Range();
    m_client.SetRange(range == CAccountPanel::kRangeFree   ? gateway::RANGE_FREE
                      : range == CAccountPanel::kRangePaid ? gateway::RANGE_PAID
                                                           : 0);
    const int code = m_host.RunGatewayOperation([this] { return m_client.Connect(); });
    switch (code) {
    case gateway::RESULT_OK:
        OnConnected(automatic);
        break;
    case gateway::RESULT_NO_PAID_RIGHT:
        if (m_messageBox.AskOkCancel(Gbk(texts::kNoPaidRight))) {
            m_panel.SelectFreeRange();
            DoConnect(automatic);
        }
        break;
    case gateway::RESULT_TOO_MANY_CONNECTIONS:
        if (m_messageBox.AskOkCancel(Gbk(texts::kTooManyConnections))) {
            RetryAfterDisconnectAll(automatic);
        }
        break;
    case gateway::RESULT_FAILED:
    case gateway::RESULT_NO_USER_NAME:
        m_panel.FocusUserName();
        m_messageBox.Inform(m_client.GetMessage());
        break;
    case gateway::RESULT_BAD_PASSWORD:
        m_panel.FocusPassword();
        m_messageBox.Inform(m_client.GetMessage());
        break;
    default:
        break;
    }
}

void CConnectFlow::RetryAfterDisconnectAll(bool automatic) {
    if (m_host.RunGatewayOperation([this] { return m_client.DisconnectAll(); }) ==
        gateway::RESULT_OK) {
        DoConnect(automatic);
        return;
    }
    m_messageBox.Inform(m_client.GetMessage());
}

void CConnectFlow::OnConnected(bool automatic) {
    if (m_config.GetConPrompt() && m_dialogs.ShowConPrompt()) {
        m_config.SetConPrompt(false);
    }
    m_host.RedrawNow();
    if (m_panel.SaveAccountChecked()) {
        SaveAccount(automatic);
    }
    m_host.ShowConnected();
}

void CConnectFlow::SaveAccount(bool automatic) {
    config::UserInfo record;
    record.username.Assign(m_panel.UserName());
    record.savePassword = m_panel.RememberPasswordChecked();
    if (record.savePassword) {
        record.password.Assign(m_panel.Password());
    }
    const bool paid = m_panel.Range() == CAccountPanel::kRangePaid;
    bool savePaid = false;
    if (automatic) {
        savePaid = paid;
    } else if (m_panel.AutoLogonChecked() && paid) {
        savePaid = m_messageBox.AskYesNo(Gbk(texts::kAutoPaidRange));
    }
    record.access = savePaid ? config::ACCESS_OVERALL : config::ACCESS_DOMESTIC;
    m_config.AddUser(record);
    m_config.SetDefaultUser(record.username.View());
    m_panel.ReloadUserList();
    m_config.SetAutoLogon(m_panel.AutoLogonChecked());
    m_config.Save();
}

void CConnectFlow::OnDisconnect() {
    if (m_host.RunGatewayOperation([this] { return m_client.Disconnect() ? 1 : 0; }) != 0) {
        m_host.ShowDisconnected();
        return;
    }
    m_messageBox.Inform(m_client.GetMessage());
}

void CConnectFlow::OnTrayDisconnect() {
    if (m_client.IsConnected()) {
        OnDisconnect();
    }
}

void CConnectFlow::OnDisconnectAll() {
    if (!HandAccountToClient()) {
        return;
    }
    const int code = m_host.RunGatewayOperation([this] { return m_client.DisconnectAll(); });
    switch (code) {
    case gateway::RESULT_OK:
        m_messageBox.Inform(resources::LoadResString(resources::IDS_ALL_DISCONNECTED));
        if (!m_panel.RememberPasswordChecked()) {
            m_panel.ClearPassword();
        }
        if (!m_client.IsConnected()) {
            m_host.ShowDisconnected();
        }
        break;
    case gateway::RESULT_FAILED:
    case gateway::RESULT_NO_USER_NAME:
        m_messageBox.Inform(m_client.GetMessage());
        m_panel.FocusUserName();
        break;
    case gateway::RESULT_BAD_PASSWORD:
        m_messageBox.Inform(m_client.GetMessage());
        m_panel.FocusPassword();
        break;
    default:
        break;
    }
    m_host.RedrawNow();
}

} // namespace app
