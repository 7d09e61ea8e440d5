#include "cli/SavedAccounts.h"

#include "cli/GbkOutput.h"
#include "platform/BinaryFile.h"

#include <algorithm>
#include <vector>

namespace cli {
namespace {

// The installation's plain document is read into memory whole, as "config.xml" would be.
constexpr std::size_t kInstalledConfigLimit = 32767;

// The window's account list holds this many accounts.
constexpr std::size_t kListedAccounts = 10;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

const char* OnOff(bool on) {
    return on ? "on" : "off";
}

} // namespace

CSavedAccounts::CSavedAccounts(const std::filesystem::path& installedConfig) {
    m_open = Open(installedConfig);
}

bool CSavedAccounts::Open(const std::filesystem::path& installedConfig) {
    if (m_store.Open()) {
        return true;
    }
    // A "config" that cannot be read, or a folder where none can be made, is reported;
    // only a folder without any settings starts from the installation's document.
    if (!m_store.FoundNoSettings()) {
        return Failed(m_store.Problem());
    }
    std::string document;
    if (platform::ReadFileUpTo(installedConfig, kInstalledConfigLimit, document) !=
            platform::ReadFileStatus::Ok ||
        !m_store.LoadXml(document)) {
        return Failed("there are no settings here: no \"config\", no \"config.xml\", "
                      "and no usable " +
                      installedConfig.string());
    }
    return true;
}

config::ServerSettings CSavedAccounts::ServerSettings() {
    if (m_open) {
        return m_store.GetServerSettings();
    }
    // The deployment's own document still says where the gateway is; it is only read.
    config::CVORNXMLConfig plain;
    return plain.Load() ? plain.GetServerSettings() : config::ServerSettings{};
}

bool CSavedAccounts::LoadAccounts(std::vector<config::UserInfo>& accounts,
                                  std::string& defaultName) {
    if (!m_open) {
        return false;
    }
    // Only the first accounts are offered, as in the window's list.
    std::vector<config::UserInfo> records(kListedAccounts);
    std::size_t count = 0;
    if (!m_store.GetUserList(records, count)) {
        return Failed("the saved accounts cannot be read (" +
                      std::string(Trimmed(m_store.GetLastError())) + ")");
    }
    records.resize(count);
    accounts = std::move(records);
    config::UserText name;
    defaultName = m_store.GetDefaultUser(name) ? std::string(name.View()) : std::string();
    return true;
}

CSavedAccounts::DefaultAccount CSavedAccounts::FindDefault(config::UserInfo& account) {
    std::vector<config::UserInfo> accounts;
    std::string defaultName;
    if (!LoadAccounts(accounts, defaultName) || defaultName.empty()) {
        return DefaultAccount::None;
    }
    const auto found = std::find_if(accounts.begin(), accounts.end(),
                                    [&](const auto& user) { return user.username == defaultName; });
    if (found == accounts.end()) {
        return DefaultAccount::None;
    }
    account = *found;
    return account.savePassword && !account.password.IsEmpty() ? DefaultAccount::Found
                                                               : DefaultAccount::NoPassword;
}

bool CSavedAccounts::Remember(const config::UserInfo& account, bool autoLogon) {
    if (!m_open) {
        return Failed("the account was not saved, since the settings cannot be opened");
    }
    if (!m_store.AddUser(account) || !m_store.SetDefaultUser(account.username.View())) {
        return Failed("the account cannot be saved (" +
                      std::string(Trimmed(m_store.GetLastError())) + ")");
    }
    m_store.SetAutoLogon(autoLogon);
    return Save();
}

bool CSavedAccounts::PrintList(std::FILE* out) {
    std::vector<config::UserInfo> accounts;
    std::string defaultName;
    if (!LoadAccounts(accounts, defaultName)) {
        return false;
    }
    for (const config::UserInfo& account : accounts) {
        std::string line = Visible(account.username.View());
        line += account.access == config::ACCESS_OVERALL ? "\tpaid" : "\tfree";
        line += account.savePassword ? "\tpassword remembered" : "\tno password";
        if (account.username == defaultName) {
            line += "\tdefault";
        }
        PrintGbkLine(out, line);
    }
    std::fprintf(out, "automatic log-on: %s, arrears prompt: %s\n", OnOff(m_store.GetAutoLogon()),
                 OnOff(m_store.GetConPrompt()));
    return true;
}

bool CSavedAccounts::Forget(std::string_view name, bool& found) {
    found = false;
    if (!m_open) {
        return false;
    }
    found = m_store.DeleteUser(name);
    if (!found) {
        return false;
    }
    config::UserText defaultName;
    if (m_store.GetDefaultUser(defaultName) && defaultName == name) {
        m_store.SetDefaultUser("");
        m_store.SetAutoLogon(false);
    }
    return Save();
}

bool CSavedAccounts::ForgetAll() {
    if (!m_open) {
        return false;
    }
    m_store.DeleteAllUsers();
    m_store.SetDefaultUser("");
    m_store.SetAutoLogon(false);
    return Save();
}

bool CSavedAccounts::Save() {
    return m_store.Save() || Failed(m_store.Problem());
}

bool CSavedAccounts::Failed(std::string what) {
    m_error = std::move(what);
    return false;
}

} // namespace cli
