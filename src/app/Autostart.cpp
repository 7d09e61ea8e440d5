#include "app/Autostart.h"

#include "app/DesktopEntry.h"
#include "platform/BinaryFile.h"
#include "platform/GbkCodec.h"
#include "platform/Process.h"
#include "platform/WorkingDirectory.h"

#include <QAction>
#include <QMenu>
#include <cerrno>
#include <system_error>

namespace app {
namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string Why(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// The application's entry with its Exec line replaced.
std::string EntryWithExec(std::string_view exec) {
    std::string entry;
    std::string_view rest = kDesktopEntry;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        entry += line.starts_with("Exec=") ? "Exec=" + std::string(exec) : std::string(line);
        entry += '\n';
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return entry;
}

} // namespace

std::optional<std::string> DesktopExecValue(std::string_view program) {
    // Entries are UTF-8 text.
    if (!platform::IsValidUtf8(program)) {
        return std::nullopt;
    }
    const bool quoted = program.find_first_of(kReserved) != std::string_view::npos;
    std::string argument = quoted ? "\"" : "";
    for (const char character : program) {
        if (static_cast<unsigned char>(character) < 0x20 || character == 0x7f) {
            return std::nullopt;
        }
        if (quoted && kEscapedInQuotes.find(character) != std::string_view::npos) {
            argument += '\\';
        }
        argument += character == '%' ? std::string("%%") : std::string(1, character);
    }
    argument += quoted ? "\"" : "";
    // The value is a string of the format too, whose own escape is the backslash.
    std::string value;
    for (const char character : argument) {
        value += character == '\\' ? std::string("\\\\") : std::string(1, character);
    }
    return value;
}

CAutostart::CAutostart(std::filesystem::path configHome, std::filesystem::path program)
    : m_configHome(std::move(configHome)), m_program(std::move(program)) {}

CAutostart CAutostart::ForUser() {
    return {platform::XdgBaseFolder(platform::SystemEnvironment, "XDG_CONFIG_HOME", ".config"),
            platform::ProgramPath()};
}

std::filesystem::path CAutostart::EntryPath() const {
    return m_configHome / "autostart" / "vornclient.desktop";
}

bool CAutostart::IsEnabled() const {
    std::string entry;
    if (m_configHome.empty() ||
        platform::ReadFileUpTo(EntryPath(), 65536, entry) != platform::ReadFileStatus::Ok) {
        return false;
    }
    return entry.find("\nHidden=true") == std::string::npos;
}

bool CAutostart::SetEnabled(bool enabled) {
    if (m_configHome.empty()) {
        return Fail("there is no configuration folder: set HOME or XDG_CONFIG_HOME");
    }
    const std::filesystem::path path = EntryPath();
    if (!enabled) {
        std::error_code code;
        std::filesystem::remove(path, code);
        return !code || Fail("cannot remove " + path.string() + ": " + code.message());
    }
    const std::optional<std::string> exec = DesktopExecValue(m_program.string());
    if (m_program.empty() || !exec) {
        return Fail("the program's path cannot be written into " + path.string());
    }
    std::error_code code;
    std::filesystem::create_directories(path.parent_path(), code);
    if (code) {
        return Fail("cannot make " + path.parent_path().string() + ": " + code.message());
    }
    if (!platform::WriteFileAtomically(path, EntryWithExec(*exec), 0644)) {
        return Fail("cannot write " + path.string() + ": " + Why(errno));
    }
    return true;
}

bool CAutostart::Fail(std::string why) {
    m_error = std::move(why);
    return false;
}

QAction* AddAutostartItem(QMenu& menu, const CAutostart& autostart,
                          platform::CMessageBox& messageBox) {
    QAction* item = menu.addAction(QStringLiteral("登录时自动启动"));
    item->setObjectName(QStringLiteral("autostart"));
    item->setCheckable(true);
    item->setChecked(autostart.IsEnabled());
    // The desktop's own settings may add or remove the entry while the program runs.
    QObject::connect(&menu, &QMenu::aboutToShow, item,
                     [item, autostart] { item->setChecked(autostart.IsEnabled()); });
    QObject::connect(item, &QAction::triggered, item, [item, autostart, &messageBox](bool on) {
        CAutostart change = autostart;
        if (!change.SetEnabled(on)) {
            item->setChecked(change.IsEnabled());
            messageBox.Inform(platform::GbkFromLiteral("无法更改登录时自动启动：") +
                              platform::Utf8ToGbkForDisplay(change.Error()));
        }
    });
    return item;
}

} // namespace app
