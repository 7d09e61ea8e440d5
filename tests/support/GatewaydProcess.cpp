#include "tests/support/GatewaydProcess.h"

#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"
#include "tools/gatewayd/ControlServer.h"
#include "tools/gatewayd/StateFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <functional>
#include <map>
#include <thread>

namespace testsupport {
namespace {

// Only a broken program takes this long; a slow machine stays far below it.
constexpr std::chrono::seconds kBound{30};
constexpr std::chrono::milliseconds kPollInterval{10};

// The ports of a complete port file: the TLS port alone on the first line, then "NAME PORT"
// lines. Nothing while the text is not such a file.
std::optional<std::map<std::string, std::uint16_t, std::less<>>>
ParsePortFile(std::string_view text) {
    std::map<std::string, std::uint16_t, std::less<>> ports;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        if (lineEnd == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd + 1);
        std::string name = "tls";
        if (!ports.empty()) {
            const std::size_t space = line.find(' ');
            if (space == std::string_view::npos) {
                return std::nullopt;
            }
            name = line.substr(0, space);
            line.remove_prefix(space + 1);
        }
        unsigned port = 0;
        const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), port);
        if (line.empty() || error != std::errc() || end != line.data() + line.size() ||
            port > 65535) {
            return std::nullopt;
        }
        ports[name] = static_cast<std::uint16_t>(port);
    }
    if (ports.empty()) {
        return std::nullopt;
    }
    return ports;
}

} // namespace

CGatewaydProcess::CGatewaydProcess(const std::filesystem::path& outputDir)
    : m_stdoutPath(outputDir / "gatewayd.stdout"), m_stderrPath(outputDir / "gatewayd.stderr") {}

CGatewaydProcess::~CGatewaydProcess() {
    if (m_pid > 0 && !m_status) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool CGatewaydProcess::Start(const std::vector<std::string>& arguments) {
    m_status.reset();
    m_pid = SpawnProgram(GATEWAYD_PATH, arguments, {{}, m_stdoutPath, m_stderrPath});
    return m_pid > 0;
}

std::optional<std::uint16_t>
CGatewaydProcess::StartSite(const std::filesystem::path& folder,
                            const std::vector<std::string>& documentArguments) {
    const std::filesystem::path accounts = folder / "accounts.ini";
    WriteBytes(accounts, "");
    std::vector<std::string> arguments = {"--dir",       (folder / "state").string(),
                                          "--accounts",  accounts.string(),
                                          "--tls-port",  "0",
                                          "--http-port", "0",
                                          "--port-file", (folder / "port").string()};
    arguments.insert(arguments.end(), documentArguments.begin(), documentArguments.end());
    if (!Start(arguments)) {
        return std::nullopt;
    }
    return WaitForPort(folder / "port", "http");
}

std::optional<std::uint16_t> CGatewaydProcess::WaitForPort(const std::filesystem::path& portFile,
                                                           std::string_view service) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (std::chrono::steady_clock::now() < deadline) {
        // The program writes the file atomically, so a file that exists is complete.
        if (const auto ports = ParsePortFile(ReadFile(portFile))) {
            const auto found = ports->find(service);
            return found == ports->end() ? std::nullopt : std::optional(found->second);
        }
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = status;
            return std::nullopt;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return std::nullopt;
}

bool CGatewaydProcess::Signal(int signal) const {
    return m_pid > 0 && !m_status && kill(m_pid, signal) == 0;
}

std::optional<int> CGatewaydProcess::WaitForExit() {
    if (!m_status) {
        m_status = WaitForProgram(m_pid).value_or(-1);
    }
    if (*m_status == -1 || !WIFEXITED(*m_status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(*m_status);
}

std::string CGatewaydProcess::Stdout() const {
    return ReadFile(m_stdoutPath);
}

std::string CGatewaydProcess::Stderr() const {
    return ReadFile(m_stderrPath);
}

std::string SendGatewaydCommand(const std::filesystem::path& stateDir, const std::string& line) {
    std::string error;
    std::string answer =
        gatewayd::SendControlLine(stateDir / gatewayd::kControlSocketFile, line, error);
    EXPECT_FALSE(answer.empty()) << error;
    return answer;
}

} // namespace testsupport
