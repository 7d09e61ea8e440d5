#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace gatewayd {

// The commands that change a running gatewayd, one line each: words separated by blanks,
// the first naming the command. The answer is one line: "ok", or "ok " and a detail, or
// "error " and what is wrong.
class CControlCommands {
public:
    // Runs a command with the words after its name; answers the detail of "ok" (often
    // empty), or sets failed and answers what is wrong.
    using Command =
        std::function<std::string(std::span<const std::string_view> arguments, bool& failed)>;

    // Adds the command name; usage is shown when the name is unknown. A command added twice
    // keeps the later one. Add every command before the channel serves.
    void Add(std::string name, std::string usage, Command command);

    // Runs one line (without its line end) and answers the answer line (without one). Any
    // thread; the commands themselves must be safe to run from it.
    std::string Execute(std::string_view line) const;

private:
    struct Entry {
        std::string usage;
        Command command;
    };
    std::map<std::string, Entry, std::less<>> m_commands;
};

} // namespace gatewayd
