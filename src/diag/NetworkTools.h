#pragma once

#include "platform/TerminalEmulator.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace diag {

// The three network tools, each a script of the installation run in a terminal window with
// the user's target as its arguments.
enum class Tool { Ping, Tracert, Nslookup };

// "ping-script.sh", "tracert-script.sh", "nslookup-script.sh".
const char* ScriptName(Tool tool);

// The ping parameter text buffer holds 1023 bytes and its terminating zero.
inline constexpr std::size_t kMaxParameterLength = 1023;

// The ping parameter text: the target as typed and, when continuous, " -t". A target too
// long for the buffer is cut (at a GBK character boundary) so that the suffix still fits.
// GBK text.
std::string PingParameters(std::string_view host, bool continuous);

// The parameter text split at blanks and tabs into the arguments a script receives, as a
// command line is split; quotes and every other character stay as they are, and nothing
// is ever interpreted. An empty or blank text gives no arguments.
std::vector<std::string> SplitParameters(std::string_view text);

// Starts the tools' scripts from a folder (the working directory) in a terminal emulator.
class CToolLauncher {
public:
    // terminal: the emulator to use; nothing looks for the desktop's one at each launch.
    explicit CToolLauncher(std::filesystem::path folder,
                           std::optional<platform::TerminalEmulator> terminal = std::nullopt);

    // Starts tool's script with the GBK parameter text as its arguments (converted to the
    // terminal's UTF-8) and does not wait for it. Answers false with a one-line English
    // reason when the text is not GBK, the script is missing, no terminal emulator is
    // installed or it could not be started.
    bool Launch(Tool tool, std::string_view gbkParameters, std::string& error) const;

private:
    std::filesystem::path m_folder;
    std::optional<platform::TerminalEmulator> m_terminal;
};

} // namespace diag
