#include "tools/gatewayd/ControlCommands.h"

#include <vector>

namespace gatewayd {
namespace {

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    const std::string_view blanks = " \t\r";
    for (std::size_t start = line.find_first_not_of(blanks); start != std::string_view::npos;
         start = line.find_first_not_of(blanks, start)) {
        const std::size_t end = std::min(line.find_first_of(blanks, start), line.size());
        words.push_back(line.substr(start, end - start));
        start = end;
    }
    return words;
}

} // namespace

void CControlCommands::Add(std::string name, std::string usage, Command command) {
    m_commands[std::move(name)] = Entry{std::move(usage), std::move(command)};
}

std::string CControlCommands::Execute(std::string_view line) const {
    const std::vector<std::string_view> words = SplitWords(line);
    const auto found = words.empty() ? m_commands.end() : m_commands.find(words.front());
    if (found == m_commands.end()) {
        std::string known;
        for (const auto& [name, entry] : m_commands) {
            known += (known.empty() ? "" : "; ") + entry.usage;
        }
        return "error unknown command; the commands are: " + known;
    }
    bool failed = false;
    const std::string detail = found->second.command(std::span(words).subspan(1), failed);
    if (failed) {
        return "error " + detail;
    }
    return detail.empty() ? "ok" : "ok " + detail;
}

} // namespace gatewayd
