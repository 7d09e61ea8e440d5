#include "diag/NetworkTools.h"

#include "platform/GbkCodec.h"
#include "platform/GbkText.h"
#include "platform/Launch.h"

#include <system_error>
#include <utility>

namespace diag {
namespace {

constexpr std::string_view kContinuous = " -t";
constexpr std::string_view kBlanks = " \t";

} // namespace

const char* ScriptName(Tool tool) {
    switch (tool) {
    case Tool::Ping:
        return "ping-script.sh";
    case Tool::Tracert:
        return "tracert-script.sh";
    case Tool::Nslookup:
        return "nslookup-script.sh";
    }
    return "";
}

std::string PingParameters(std::string_view host, bool continuous) {
    const std::size_t room = kMaxParameterLength - (continuous ? kContinuous.size() : 0);
    std::string text(host.substr(0, platform::GbkFitLength(host, room)));
    if (continuous) {
        text += kContinuous;
    }
    return text;
}

std::vector<std::string> SplitParameters(std::string_view text) {
    std::vector<std::string> words;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(kBlanks);
        if (start == std::string_view::npos) {
            break;
        }
        text.remove_prefix(start);
        const std::size_t end = std::min(text.find_first_of(kBlanks), text.size());
        words.emplace_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return words;
}

CToolLauncher::CToolLauncher(std::filesystem::path folder,
                             std::optional<platform::TerminalEmulator> terminal)
    : m_folder(std::move(folder)), m_terminal(std::move(terminal)) {}

bool CToolLauncher::Launch(Tool tool, std::string_view gbkParameters, std::string& error) const {
    const platform::ConvertedText parameters = platform::GbkToUtf8(gbkParameters);
    if (!parameters.Ok()) {
        error = "the target is not GBK text: " + parameters.error;
        return false;
    }
    // An absolute path: the terminal may start the command in a folder of its own.
    const std::filesystem::path script = std::filesystem::absolute(m_folder / ScriptName(tool));
    std::error_code missing;
    if (!std::filesystem::is_regular_file(script, missing)) {
        error = "the script " + script.string() + " is not installed";
        return false;
    }
    const std::optional<platform::TerminalEmulator> terminal =
        m_terminal ? m_terminal : platform::FindTerminalEmulator();
    if (!terminal) {
        error = "no terminal emulator is installed";
        return false;
    }
    return platform::StartDetached(
        terminal->program, terminal->CommandLine(script, SplitParameters(parameters.text)), error);
}

} // namespace diag
