#pragma once

#include "platform/MessageBox.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class QAction;
class QMenu;

namespace app {

// The XDG autostart entry that starts the desktop program at log-in:
// $XDG_CONFIG_HOME/autostart/vornclient.desktop. Without it (the default) nothing starts.
class CAutostart {
public:
    // configHome is the user's XDG config folder (empty: none known, and every change
    // fails); program is the absolute path the entry starts.
    CAutostart(std::filesystem::path configHome, std::filesystem::path program);

    // The running user's entry for the running program.
    static CAutostart ForUser();

    std::filesystem::path EntryPath() const;

    // Whether the entry is there and not hidden by the desktop's own switch.
    bool IsEnabled() const;

    // Writes the entry (the application's desktop entry, with Exec naming the program) or
    // removes it. False, with why in Error(), when that could not be done; the entry is then
    // as it was.
    bool SetEnabled(bool enabled);

    const std::string& Error() const { return m_error; }

private:
    bool Fail(std::string why);

    std::filesystem::path m_configHome;
    std::filesystem::path m_program;
    std::string m_error;
};

// The Exec value of a desktop entry that runs program without arguments: quoted when it
// holds a character that the format reserves, with the escapes the format asks for. Nothing
// for a path that an entry cannot hold (control characters, bytes that are not UTF-8).
std::optional<std::string> DesktopExecValue(std::string_view program);

// Adds the checkable item "登录时自动启动" to menu, switching autostart; a switch that
// fails is told through messageBox and the item keeps the entry's state. The item shows
// the entry's state afresh each time the menu opens.
QAction* AddAutostartItem(QMenu& menu, const CAutostart& autostart,
                          platform::CMessageBox& messageBox);

} // namespace app
