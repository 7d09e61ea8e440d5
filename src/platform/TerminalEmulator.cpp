#include "platform/TerminalEmulator.h"

#include "platform/Launch.h"

#include <array>

namespace platform {

std::vector<std::string>
TerminalEmulator::CommandLine(const std::filesystem::path& command,
                              const std::vector<std::string>& arguments) const {
    std::vector<std::string> words = commandPrefix;
    words.push_back(command.string());
    words.insert(words.end(), arguments.begin(), arguments.end());
    return words;
}

std::optional<TerminalEmulator> FindTerminalEmulator() {
    struct Known {
        const char* name;
        const char* prefix; // nullptr when the command follows directly
    };
    static constexpr std::array<Known, 9> kKnown = {{
        {"x-terminal-emulator", "-e"},
        {"gnome-terminal", "--"},
        {"konsole", "-e"},
        {"xfce4-terminal", "-x"},
        {"mate-terminal", "-x"},
        {"alacritty", "-e"},
        {"kitty", nullptr},
        {"foot", nullptr},
        {"xterm", "-e"},
    }};
    for (const Known& known : kKnown) {
        std::filesystem::path program = FindOnPath(known.name);
        if (program.empty()) {
            continue;
        }
        TerminalEmulator terminal{std::move(program), {}};
        if (known.prefix != nullptr) {
            terminal.commandPrefix.emplace_back(known.prefix);
        }
        return terminal;
    }
    return std::nullopt;
}

} // namespace platform
