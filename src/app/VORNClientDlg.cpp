#include "app/VORNClientDlg.h"

#include "app/Autostart.h"
#include "app/OffUiThread.h"
#include "app/Updater.h"
#include "app/WindowTexts.h"
#include "gateway/Reconnect.h"
#include "gateway/StatusRows.h"
#include "heartbeat/TrayIcon.h"
#include "platform/NeighbourControl.h"
#include "resources/StringTable.h"
#include "ui/DialogUnits.h"
#include "ui/FontStatic.h"
#include "ui/Icons.h"
#include "ui/UrlPolicy.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QTimer>

namespace app {
namespace {

constexpr int kTemplateWidth = 175;
constexpr int kTemplateHeight = 331;

QString ResText(int id) {
    return FromGbk(resources::LoadResString(id));
}

gateway::GatewayServer ChooseServer(config::CVORNXMLSecureConfig& config, bool open) {
    gateway::GatewayServer server = gateway::DefaultGatewayServer();
    if (!open) {
        return server;
    }
    const config::ServerSettings settings = config.GetServerSettings();
    server.host = settings.host.value_or(server.host);
    server.tlsPort = settings.tlsPort.value_or(server.tlsPort);
    server.httpPort = settings.httpPort.value_or(server.httpPort);
    return server;
}

// The three link labels of the window: blue and underlined.
void StyleAsLink(QLabel& label) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label.setPalette(palette);
    QFont font = label.font();
    font.setUnderline(true);
    label.setFont(font);
    label.setCursor(Qt::PointingHandCursor);
}

} // namespace

CVORNClientDlg::CVORNClientDlg(WindowOptions options, platform::CMessageBox& messageBox,
                               CSecondaryDialogs& dialogs)
    : m_options(std::move(options)), m_messageBox(messageBox), m_dialogs(dialogs),
      m_units(ui::DialogFont()), m_config(m_options.folder), m_tray(m_options.trayClickDelay),
      m_tools(m_options.folder, messageBox, m_options.openReport),
      m_keeper(m_config, messageBox,
               {[this] { return m_bBusy || !m_flow; },
                [this](bool disconnectAll) { return Reconnect(disconnectAll); },
                [this] { return std::string(m_client->GetMessage()); }}),
      m_reach([this] { emit reachStateChanged(); }) {
    m_tools.SetParent(this);
    setWindowTitle(ResText(resources::IDS_MAIN_TITLE));
    setFont(ui::DialogFont());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetWindowIconId(ui::IDI_APPLICATION_ICON);
    auto* clientArea = new QWidget(this);
    clientArea->setFixedSize(m_units.X(kTemplateWidth), m_units.Y(kTemplateHeight));
    setCentralWidget(clientArea);
    CreateControls(*clientArea);
    CreateMenus();
    CreateTrayMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_bTrayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    connect(&m_tray, &CTrayIcon::activated, this, [this] {
        if (!m_bHidden && isVisible()) {
            raise();
            activateWindow();
        }
    });
    connect(&m_tray, &CTrayIcon::doubleClicked, this, &CVORNClientDlg::OnOpenWindow);
    // Queued: the probes do not wait for the UI thread.
    connect(this, &CVORNClientDlg::reachStateChanged, this, &CVORNClientDlg::ShowReachState,
            Qt::QueuedConnection);
    qApp->installEventFilter(this);
}

CVORNClientDlg::~CVORNClientDlg() {
    // No probe may report to a window that is going.
    m_watchDog.Stop();
    qApp->removeEventFilter(this);
}

QPushButton* CVORNClientDlg::AddButton(QWidget& clientArea, std::string_view text, int id,
                                       QRect rect, void (CVORNClientDlg::*command)()) {
    auto* button = new QPushButton(Text(text), &clientArea);
    m_units.Place(*button, id, rect.x(), rect.y(), rect.width(), rect.height());
    button->setAccessibleName(Text(text));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, command);
    return button;
}

void CVORNClientDlg::CreateControls(QWidget& clientArea) {
    auto* banner = new QLabel(&clientArea);
    m_units.Place(*banner, 1052, 7, 7, 161, 32);
    banner->setPixmap(ui::ResourcePixmap(ui::IDB_BANNER, banner->size()));
    banner->setAccessibleName(Text(texts::kBanner));

    m_panel = new CAccountPanel(clientArea, m_units, m_config, m_messageBox, m_dialogs);

    auto* notice = new ui::CFontStatic(Text(texts::kNotice), &clientArea);
    m_units.Place(*notice, 1053, 93, 144, 50, 9);
    notice->setAccessibleName(Text(texts::kNotice));
    connect(notice, &ui::CFontStatic::clicked, this, &CVORNClientDlg::OnNotice);
    for (const char* name : {"id1034", "id1035", "id1053"}) {
        if (auto* link = clientArea.findChild<QLabel*>(QString::fromLatin1(name))) {
            StyleAsLink(*link);
        }
    }

    auto* group = new QGroupBox(Text(texts::kConnectionGroup), &clientArea);
    m_units.Place(*group, 0, 7, 162, 161, 119);
    group->lower();
    m_listStatus = new CStatusList(&clientArea);
    m_units.Place(*m_listStatus, 1024, 14, 175, 146, 101);
    m_listStatus->setAccessibleName(Text(texts::kConnectionGroup));
    m_listStatus->ShowRows(gateway::DisconnectedStatusRows());

    m_gatewayButtons << AddButton(clientArea, texts::kConnect, 1007, {7, 284, 48, 14},
                                  &CVORNClientDlg::OnConnect)
                     << AddButton(clientArea, texts::kDisconnectAll, 1000, {56, 284, 63, 14},
                                  &CVORNClientDlg::OnDisconnectAll)
                     << AddButton(clientArea, texts::kDisconnect, 1009, {120, 284, 48, 14},
                                  &CVORNClientDlg::OnDisconnect);
    AddButton(clientArea, texts::kHelp, 1015, {7, 300, 48, 14}, &CVORNClientDlg::OnAbout);
    AddButton(clientArea, texts::kCheckUpdates, 1001, {56, 300, 63, 14},
              &CVORNClientDlg::OnCheckUpdates);
    AddButton(clientArea, texts::kExit, 1008, {120, 300, 48, 14}, &CVORNClientDlg::OnExit);
}

void CVORNClientDlg::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->addAction(QStringLiteral("连接(&C)"), this, &CVORNClientDlg::OnConnect);
    file->addAction(QStringLiteral("断开连接(&D)"), this, &CVORNClientDlg::OnDisconnect);
    file->addAction(QStringLiteral("断开所有连接(&A)"), this, &CVORNClientDlg::OnDisconnectAll);
    file->addAction(QStringLiteral("退出(&E)"), this, &CVORNClientDlg::OnExit);
    AddToolActions(*menuBar()->addMenu(QStringLiteral("工具(&T)")),
                   {"报告网络状态(&R)...", "Ping(&P)...", "Tracert(&T)...", "域名解析(&D)..."});
    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->addAction(QStringLiteral("关于VORN客户端(&A)..."), this, &CVORNClientDlg::OnAbout);
}

// The report and the three tools, in this order, with the texts of the menu they are in.
void CVORNClientDlg::AddToolActions(QMenu& menu, const std::array<const char*, 4>& texts) {
    const std::array<void (CToolCommands::*)(), 4> commands = {
        &CToolCommands::OnNetworkReport, &CToolCommands::OnPingTool, &CToolCommands::OnTracertTool,
        &CToolCommands::OnNslookupTool};
    auto command = commands.begin();
    for (const char* text : texts) {
        menu.addAction(QString::fromUtf8(text), this, [this, action = *command++] {
            RunCommand([this, action] { (m_tools.*action)(); });
        });
    }
}

void CVORNClientDlg::CreateTrayMenu() {
    QMenu& menu = m_tray.Menu();
    menu.addAction(QStringLiteral("连接(&C)"), this, &CVORNClientDlg::OnOpenWindow);
    menu.addAction(QStringLiteral("断开连接(&D)"), this, &CVORNClientDlg::OnTrayDisconnect);
    menu.addSeparator();
    QAction* open = menu.addAction(QStringLiteral("打开IP网关认证窗口(&O)"), this,
                                   &CVORNClientDlg::OnOpenWindow);
    menu.setDefaultAction(open);
    menu.addAction(QStringLiteral("退出(&X)"), this, &CVORNClientDlg::OnExit);
    menu.addSeparator();
    QMenu* tools = menu.addMenu(QStringLiteral("工具(&T)"));
    AddToolActions(*tools, {"网络状态报告(&R)...", "Ping(&P)...", "Tracert...", "域名解析(&N)..."});
    tools->addSeparator();
    AddAutostartItem(*tools, CAutostart::ForUser(), m_messageBox);
    m_keeper.AddMenuItem(*tools);
    menu.addSeparator();
    menu.addAction(QStringLiteral("帮助(&H)"), this, &CVORNClientDlg::OnAbout);
    m_tray.Icon().setToolTip(ResText(resources::IDS_TRAY_TIP));
}

void CVORNClientDlg::Initialise() {
    m_bConfigOpen = m_config.Open();
    gateway::TransportOptions transport;
    transport.trustFile = m_options.folder / "ca.cer";
    transport.timeout = m_options.gatewayTimeout;
    m_client = std::make_unique<gateway::CQELOpenSSLVORNClient>(
        ChooseServer(m_config, m_bConfigOpen), m_messageBox, transport);
    m_sites.gateway = m_client->GetServer();
    if (m_bConfigOpen) {
        const config::ServerSettings settings = m_config.GetServerSettings();
        m_sites.cardHost = settings.cardHost.value_or(std::string());
        m_sites.supportMail = settings.supportMail.value_or(std::string());
    }
    m_flow = std::make_unique<CConnectFlow>(*this, *m_panel, *m_client, m_config, m_messageBox,
                                            m_dialogs);
    if (!m_bConfigOpen) {
        // Settings that exist but cannot be read are left as they are; the user is told why
        // nothing is remembered in this run.
        if (!m_config.FoundNoSettings()) {
            m_messageBox.Inform(m_config.Problem());
        }
        return;
    }
    m_nReachState = REACH_CAMPUS;
    StartHeartbeat();
    m_keeper.Load();
    UpdateTrayIcon();
    if (m_bTrayAvailable) {
        m_tray.Icon().show();
    }
    if (!m_panel->ReloadUserList()) {
        m_messageBox.Inform("Error:Load user information list");
    }
    m_panel->PreselectDefaultAccount();
    StartArpGuard();
    if (m_config.GetAutoLogon()) {
        m_panel->CheckAutoLogon();
        RunCommand([this] { m_flow->DoConnect(true); });
    }
    if (m_options.announcements) {
        m_popup =
            std::make_unique<ui::CVORNNotificationBox>(m_client->GetServer().host, m_messageBox);
        m_notification =
            std::make_unique<announce::CVORNNotification>(m_client->GetServer(), *m_popup);
        m_notification->Start();
    }
}

void CVORNClientDlg::StartHeartbeat() {
    const heartbeat::RegisteredServers registered =
        heartbeat::RegisterSettingsServers(m_config, m_watchDog, m_reach, m_options.probeInterval);
    if (!registered.campus) {
        m_messageBox.Inform("Error:Register Campus HBS");
    }
    if (!registered.domestic) {
        m_messageBox.Inform("Error:Register Domestic HBS");
    }
    if (!m_watchDog.Start()) {
        m_messageBox.Inform("Error:Start watchdog");
    }
}

void CVORNClientDlg::ShowReachState() {
    m_nReachState = m_reach.GetState();
    UpdateTrayIcon();
    m_keeper.ReachChanged(m_nReachState);
}

int CVORNClientDlg::Reconnect(bool disconnectAll) {
    int code = gateway::RESULT_FAILED;
    RunCommand([&] {
        code = RunGatewayOperation(
            [this, disconnectAll] { return gateway::Reconnect(*m_client, disconnectAll); });
        if (code == gateway::RESULT_OK) {
            ShowConnected();
        }
    });
    return code;
}

// Only a process that may change the neighbour table guards it; otherwise nothing is said,
// as where the platform has no guard.
void CVORNClientDlg::StartArpGuard() {
    platform::CNetworkTables* tables = m_options.networkTables;
    if (tables == nullptr && platform::MayChangeNeighbourTable()) {
        tables = &m_systemTables;
    }
    if (!m_options.arpGuard || tables == nullptr) {
        return;
    }
    const gateway::GatewayServer& server = m_client->GetServer();
    m_bindMAC = std::make_unique<arpguard::CBindMAC>(
        *tables, arpguard::CLocalIPMACCache(m_options.folder),
        arpguard::CRemoteIPMACCache(server.host, server.httpPort));
    if (m_bindMAC->Start() != 0) {
        m_bindMAC.reset();
        m_messageBox.Inform("Cannot start arp protection");
    }
}

void CVORNClientDlg::StopArpGuard() {
    if (m_bindMAC) {
        m_bindMAC->Stop();
    }
}

void CVORNClientDlg::RunCommand(const std::function<void()>& command) {
    if (m_bBusy || !m_flow) {
        return;
    }
    m_bBusy = true;
    command();
    m_bBusy = false;
    if (const std::optional<CSessionEnd::Reason> reason = std::exchange(m_pendingSessionEnd, {})) {
        EndSession(*reason);
    }
}

int CVORNClientDlg::RunGatewayOperation(const std::function<int()>& operation) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    for (QPushButton* button : m_gatewayButtons) {
        button->setEnabled(false);
    }
    const int result = RunOffUiThread(operation);
    for (QPushButton* button : m_gatewayButtons) {
        button->setEnabled(true);
    }
    QApplication::restoreOverrideCursor();
    return result;
}

void CVORNClientDlg::OnConnect() {
    RunCommand([this] { m_flow->DoConnect(false); });
}

void CVORNClientDlg::OnDisconnect() {
    RunCommand([this] { m_flow->OnDisconnect(); });
}

void CVORNClientDlg::OnTrayDisconnect() {
    RunCommand([this] { m_flow->OnTrayDisconnect(); });
}

void CVORNClientDlg::OnDisconnectAll() {
    RunCommand([this] { m_flow->OnDisconnectAll(); });
}

void CVORNClientDlg::OnAbout() {
    RunCommand([this] { m_dialogs.ShowAbout(m_sites, m_tools); });
}

void CVORNClientDlg::OnExit() {
    RunCommand([this] {
        if (m_notification) {
            m_notification->Stop();
        }
        StopArpGuard();
        if (m_client->IsConnected()) {
            if (!m_dialogs.ConfirmExit()) {
                return;
            }
            RunGatewayOperation([this] { return m_client->Disconnect() ? 1 : 0; });
        }
        m_tray.Icon().hide();
        emit quitRequested();
    });
}

void CVORNClientDlg::OnCheckUpdates() {
    if (!StartUpdater({})) {
        ui::OpenLink(QString::fromStdString(m_client->GetServer().HomePage()), m_messageBox);
    }
}

void CVORNClientDlg::OnNotice() {
    ui::OpenLink(QString::fromStdString(m_client->GetServer().HomePage()), m_messageBox);
}

void CVORNClientDlg::OnOpenWindow() {
    RestoreWindow();
    m_panel->ApplyFocusRule();
}

void CVORNClientDlg::OnOtherCopy() {
    RestoreWindow();
}

void CVORNClientDlg::OnSessionEnding(CSessionEnd::Reason reason) {
    if (m_bBusy) {
        m_pendingSessionEnd = reason;
        return;
    }
    EndSession(reason);
}

// Whatever the client believes, the request goes out: the session ends either way.
void CVORNClientDlg::EndSession(CSessionEnd::Reason reason) {
    m_bBusy = true;
    RunGatewayOperation([this] { return m_client->Disconnect() ? 1 : 0; });
    m_bBusy = false;
    if (reason == CSessionEnd::Reason::Terminated) {
        StopArpGuard();
        m_tray.Icon().hide();
        emit quitRequested();
    }
}

void CVORNClientDlg::HideToTray() {
    hide();
    m_bHidden = true;
}

void CVORNClientDlg::RestoreWindow() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    m_bHidden = false;
    raise();
    activateWindow();
}

void CVORNClientDlg::ShowConnected() {
    SetWindowIconId(ui::IDI_APPLICATION_ICON);
    UpdateTrayIcon();
    m_listStatus->ShowRows(gateway::ConnectedStatusRows(m_client->GetResult()));
    if (!m_panel->RememberPasswordChecked()) {
        m_panel->ClearPassword();
    }
    m_keeper.Connected();
}

void CVORNClientDlg::ShowDisconnected() {
    SetWindowIconId(ui::IDI_NET_CAMPUS);
    UpdateTrayIcon();
    m_listStatus->ShowRows(gateway::DisconnectedStatusRows());
    m_panel->FocusPassword();
    m_keeper.Disconnected();
}

void CVORNClientDlg::RedrawNow() {
    repaint();
}

bool CVORNClientDlg::GuardHoldsEntry() const {
    return m_bindMAC && m_bindMAC->IsBound();
}

void CVORNClientDlg::UpdateTrayIcon() {
    m_nTrayIcon = heartbeat::ChooseTrayIcon(m_nReachState, GuardHoldsEntry());
    m_tray.Icon().setIcon(ui::ResourceIcon(m_nTrayIcon));
}

void CVORNClientDlg::SetWindowIconId(int id) {
    m_nWindowIcon = id;
    setWindowIcon(ui::ResourceIcon(id));
}

bool CVORNClientDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && widget != nullptr &&
            widget->window() == this) {
            OnConnect();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CVORNClientDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_bTrayAvailable) {
        HideToTray();
        return;
    }
    OnExit();
}

void CVORNClientDlg::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_bTrayAvailable &&
        (windowState() & Qt::WindowMinimized) != 0) {
        // Hidden once the minimise has finished, as the system menu's minimise did.
        QTimer::singleShot(0, this, &CVORNClientDlg::HideToTray);
    }
}

void CVORNClientDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (m_bTrayAvailable) {
            HideToTray();
        } else {
            showMinimized();
        }
        return;
    }
    QMainWindow::keyPressEvent(event);
}

} // namespace app
