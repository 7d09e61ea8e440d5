#pragma once

#include "app/MessageBoxDialogs.h"
#include "app/VORNClientDlg.h"
#include "platform/ScriptedMessageBox.h"
#include "tests/support/GatewaydProcess.h"

#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

// The accounts of the suite's gatewayd.
inline constexpr const char* kAccounts = R"([alice]
password = Secret-99
balance = 36.80
package = 包月20元
time-used = 31小时
paid-addresses = yes
connection-limit = 1

[bob]
password = Bob-pass-1
balance = 1.00
paid-addresses = no
connection-limit = 3

[carol]
password = Carol-pw-7
connection-limit = 50

[dave]
password = Dave-pass-4
paid-addresses = yes
connection-limit = 1

[erin]
password = Erin-pass-5
connection-limit = 1

[frank]
password = Frank-pass-6
connection-limit = 1
)";

// One gatewayd for a test program, started once.
class CGatewayFixture {
public:
    // Starts gatewayd with kAccounts; false when it does not come up.
    bool Start();
    void Stop();

    std::uint16_t Port() const { return m_port; }
    const std::filesystem::path& CaFile() const { return m_caFile; }

    // A client folder that trusts the server and whose settings name it (or port, when
    // given) and its heartbeat responders, with the arrears prompt as given and no saved
    // accounts.
    void WriteClientFolder(const std::filesystem::path& folder, bool conPrompt = false,
                           std::uint16_t port = 0) const;

    // The IP-MAC list that the server's site publishes, as plain text.
    void PublishIPMACList(const std::string& document) const;
    // The announcement document that the server's site publishes, as GBK bytes.
    void PublishAnnouncements(const std::string& document) const;
    // Hands gatewayd a control line, such as "heartbeat campus silent", and answers its
    // answer.
    std::string Control(const std::string& line) const;

private:
    std::filesystem::path Root() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<testsupport::CGatewaydProcess> m_gatewayd;
    std::uint16_t m_port = 0;
    std::uint16_t m_httpPort = 0;
    std::uint16_t m_campusPort = 0;
    std::uint16_t m_domesticPort = 0;
    std::filesystem::path m_caFile;
};

// Saves an account into the settings of folder through the store, as a connect would.
void SaveAccount(const std::filesystem::path& folder, const config::UserInfo& account,
                 bool asDefault, bool autoLogon);

config::UserInfo Account(const char* name, const char* password, bool savePassword,
                         std::int32_t access = config::ACCESS_DOMESTIC);

// A window over a fresh client folder, its questions answered by a script.
struct WindowUnderTest {
    explicit WindowUnderTest(const std::filesystem::path& folder,
                             std::chrono::milliseconds timeout = std::chrono::seconds(15),
                             app::CTrayIcon::DelayStarter delay = {},
                             const std::function<void(app::WindowOptions&)>& adjust = {});

    platform::CScriptedMessageBox messageBox;
    app::CMessageBoxDialogs dialogs{messageBox};
    std::vector<std::filesystem::path> openedReports;
    std::unique_ptr<app::CVORNClientDlg> window;

    template <typename Widget>
    Widget& Control(int id) const {
        return *window->findChild<Widget*>(QStringLiteral("id%1").arg(id));
    }

    // The texts of the boxes shown so far, UTF-8.
    QStringList Shown() const;
};

// Opens one connection for an account with a client of the test's own; answers the code.
int ConnectDirectly(std::uint16_t port, const std::filesystem::path& caFile,
                    const std::string& name, const std::string& password);

} // namespace apptest
