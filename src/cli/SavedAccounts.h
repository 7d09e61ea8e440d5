#pragma once

#include "config/ServerSettings.h"
#include "config/UserInfo.h"
#include "config/VORNXMLSecureConfig.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace cli {

// The settings of the working directory as vornctl reads and changes them: the saved
// accounts, the default account, the two switches and the deployment's Server element.
// Names and passwords are GBK. Every change is saved at once.
class CSavedAccounts {
public:
    // Opens the settings of the current directory: "config", or "config.xml" sealed into
    // "config" on first use. When the directory has neither, the settings start from the
    // installation's document installedConfig, and the first change creates "config". A
    // "config" that cannot be read is left as it is, and the settings are not open.
    explicit CSavedAccounts(const std::filesystem::path& installedConfig);

    bool IsOpen() const { return m_open; }

    // Why the settings could not be opened or saved, in English.
    const std::string& Error() const { return m_error; }

    // The Server element of the settings; when they are not open, that of a readable
    // "config.xml", which is only read.
    config::ServerSettings ServerSettings();

    // The settings themselves, for what reads them directly; only while IsOpen.
    config::CVORNConfig& Settings() { return m_store; }

    enum class DefaultAccount { Found, None, NoPassword };

    // The default account with its remembered password and access, as automatic log-on
    // uses it. A default name that is not among the first ten accounts counts as none.
    DefaultAccount FindDefault(config::UserInfo& account);

    // Saves account as the default account and sets the automatic log-on switch, as a
    // successful connect does.
    bool Remember(const config::UserInfo& account, bool autoLogon);

    // Prints the first ten saved accounts in store order, one a line, then the switches.
    bool PrintList(std::FILE* out);

    // Deletes the saved account name; deleting the default account also clears the default
    // and automatic log-on. False, with found false, when there is no such account.
    bool Forget(std::string_view name, bool& found);

    // Deletes every saved account, the default and automatic log-on.
    bool ForgetAll();

private:
    bool Open(const std::filesystem::path& installedConfig);
    bool LoadAccounts(std::vector<config::UserInfo>& accounts, std::string& defaultName);
    bool Save();
    bool Failed(std::string what);

    config::CVORNXMLSecureConfig m_store;
    bool m_open = false;
    std::string m_error;
};

} // namespace cli
