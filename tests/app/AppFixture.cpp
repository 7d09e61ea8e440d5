#include "tests/app/AppFixture.h"

#include "config/VORNXMLSecureConfig.h"
#include "gateway/QELOpenSSLVORNClient.h"
#include "platform/GbkCodec.h"

#include <QTest>
#include <csignal>
#include <fstream>

namespace apptest {
namespace {

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

} // namespace

bool CGatewayFixture::Start() {
    m_dir = std::make_unique<QTemporaryDir>();
    const std::filesystem::path root = Root();
    std::filesystem::create_directories(root / "gateway");
    WriteText(root / "accounts.ini", kAccounts);
    m_gatewayd = std::make_unique<testsupport::CGatewaydProcess>(root);
    if (!m_gatewayd->Start({"--dir", (root / "gateway").string(), "--accounts",
                            (root / "accounts.ini").string(), "--tls-port", "0", "--http-port", "0",
                            "--ipmac-file", (root / "ipmac.xml").string(), "--announce-file",
                            (root / "vornmsg.xml").string(), "--campus-port", "0",
                            "--domestic-port", "0", "--port-file", (root / "port").string()})) {
        return false;
    }
    m_port = m_gatewayd->WaitForPort(root / "port").value_or(0);
    m_httpPort = m_gatewayd->WaitForPort(root / "port", "http").value_or(0);
    m_campusPort = m_gatewayd->WaitForPort(root / "port", "campus").value_or(0);
    m_domesticPort = m_gatewayd->WaitForPort(root / "port", "domestic").value_or(0);
    m_caFile = root / "gateway" / "ca.cer";
    return m_port != 0 && m_httpPort != 0 && m_campusPort != 0 && m_domesticPort != 0;
}

std::filesystem::path CGatewayFixture::Root() const {
    return m_dir->path().toStdString();
}

void CGatewayFixture::PublishIPMACList(const std::string& document) const {
    WriteText(Root() / "ipmac.xml", document);
}

void CGatewayFixture::PublishAnnouncements(const std::string& document) const {
    WriteText(Root() / "vornmsg.xml", document);
}

std::string CGatewayFixture::Control(const std::string& line) const {
    return testsupport::SendGatewaydCommand(Root() / "gateway", line);
}

void CGatewayFixture::Stop() {
    if (m_gatewayd) {
        m_gatewayd->Signal(SIGTERM);
        m_gatewayd->WaitForExit();
    }
    m_gatewayd.reset();
    m_dir.reset();
}

void CGatewayFixture::WriteClientFolder(const std::filesystem::path& folder, bool conPrompt,
                                        std::uint16_t port) const {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(m_caFile, folder / "ca.cer",
                               std::filesystem::copy_options::overwrite_existing);
    const std::string host = "127.0.0.1:";
    WriteText(
        folder / "config.xml",
        "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<VORNClientConfig>\n  <Style ConPrompt=\"" +
            std::string(conPrompt ? "true" : "false") +
            "\" AutoLogon=\"false\"/>\n  <Log/>\n  <HBSCam>" + host + std::to_string(m_campusPort) +
            "</HBSCam>\n  <HBSDom>" + host + std::to_string(m_domesticPort) +
            "</HBSDom>\n  <HBSInt>" + host + "9</HBSInt>\n  <Server Host=\"localhost\" Port=\"" +
            std::to_string(port != 0 ? port : m_port) + "\" HttpPort=\"" +
            std::to_string(m_httpPort) + "\"/>\n</VORNClientConfig>\n");
}

config::UserInfo Account(const char* name, const char* password, bool savePassword,
                         std::int32_t access) {
    config::UserInfo account;
    account.username.Assign(platform::GbkFromLiteral(name));
    account.password.Assign(platform::GbkFromLiteral(password));
    account.savePassword = savePassword;
    account.access = access;
    return account;
}

void SaveAccount(const std::filesystem::path& folder, const config::UserInfo& account,
                 bool asDefault, bool autoLogon) {
    config::CVORNXMLSecureConfig store(folder);
    QVERIFY(store.Open());
    QVERIFY(store.AddUser(account));
    if (asDefault) {
        QVERIFY(store.SetDefaultUser(account.username.View()));
    }
    store.SetAutoLogon(autoLogon);
    QVERIFY(store.Save());
}

WindowUnderTest::WindowUnderTest(const std::filesystem::path& folder,
                                 std::chrono::milliseconds timeout,
                                 app::CTrayIcon::DelayStarter delay,
                                 const std::function<void(app::WindowOptions&)>& adjust) {
    app::WindowOptions options;
    options.folder = folder;
    // The machine's own neighbour table is no test's to change.
    options.arpGuard = false;
    options.announcements = false;
    options.openReport = [this](const std::filesystem::path& report) {
        openedReports.push_back(report);
    };
    options.gatewayTimeout = timeout;
    options.trayClickDelay = std::move(delay);
    if (adjust) {
        adjust(options);
    }
    window = std::make_unique<app::CVORNClientDlg>(options, messageBox, dialogs);
}

QStringList WindowUnderTest::Shown() const {
    QStringList texts;
    for (const auto& shown : messageBox.ShownBoxes()) {
        texts << QString::fromStdString(platform::GbkToUtf8ForDisplay(shown.text));
    }
    return texts;
}

int ConnectDirectly(std::uint16_t port, const std::filesystem::path& caFile,
                    const std::string& name, const std::string& password) {
    platform::CScriptedMessageBox box;
    gateway::GatewayServer server{"localhost", port};
    gateway::TransportOptions options;
    options.trustFile = caFile;
    gateway::CQELOpenSSLVORNClient client(server, box, options);
    client.SetUserName(name.c_str());
    client.SetPassword(password.c_str());
    client.SetRange(gateway::RANGE_FREE);
    return client.Connect();
}

} // namespace apptest
