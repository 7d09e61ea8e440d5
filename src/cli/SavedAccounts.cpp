#include "cli/SavedAccounts.h"

#include "cli/GbkOutput.h"
#include "platform/BinaryFile.h"

#include <algorithm>
#include <vector>

namespace cli {
namespace {

// The installation's plain document is read into memory whole, as "config.xml" would be.
constexpr std::size_t kInstalledConfigLimit = 32767;

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
    const std::string storeError(Trimmed(m_store.GetLastError()));
    std::error_code ignored;
    if (std::filesystem::exists(m_store.FilePath("config.xml"), ignored)) {
        return Failed("the settings in \"config\" and \"config.xml\" cannot be read (" +
                      storeError + ")");
    }
    std::string document;
    if (platform::ReadFileUpTo(installedConfig, kInstalledConfigLimit, document) !=
            platform::ReadFileStatus::Ok ||
        !m_store.LoadXml(document)) {
        return Failed("there are no settings here: no readable \"config\", no \"config.xml\", "
                      "and no usable " +
                      installedConfig.string());
    }
    return true;
}

config::ServerSettings CSavedAccounts::ServerSettings() {
    return m_open ? m_store.GetServerSettings() : config::ServerSettings{};
}

bool CSavedAccounts::LoadAccounts(std::vector<config::UserInfo>& accounts,
                                  std::string& defaultName) {
    if (!m_open) {
        return false;
    }
    if (!m_store.GetAllUsers(accounts)) {
        return Failed("the saved accounts cannot be read (" +
                      std::string(Trimmed(m_store.GetLastError())) + ")");
    }
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
        return false;
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
        std::string line(account.username.View());
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
    if (!m_store.Save()) {
        return Failed("the settings cannot be saved (" +
                      std::string(Trimmed(m_store.GetLastError())) + ")");
    }
    return true;
}

bool CSavedAccounts::Failed(std::string what) {
    m_error = std::move(what);
    return false;
}

} // namespace cli
