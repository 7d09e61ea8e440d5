#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A terminal emulator and the words that make it run a command given as separate
// arguments (never as one text that it would hand to a shell).
struct TerminalEmulator {
    std::filesystem::path program;
    std::vector<std::string> commandPrefix; // before the command, e.g. "-e"

    // The arguments (without the program) that run command with arguments in a new window.
    std::vector<std::string> CommandLine(const std::filesystem::path& command,
                                         const std::vector<std::string>& arguments) const;
};

// The desktop's terminal emulator: Debian's x-terminal-emulator alternative when it is on
// PATH (the system's choice, and policy has it take "-e command args..."), else the first
// found on PATH of gnome-terminal ("--"), konsole ("-e"), xfce4-terminal and mate-terminal
// ("-x", since their "-e" takes one shell text), alacritty ("-e"), kitty and foot (the
// command alone), xterm ("-e"). Nothing when there is none.
std::optional<TerminalEmulator> FindTerminalEmulator();

} // namespace platform
