#include "tests/support/GatewaydProcess.h"

#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <sys/wait.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <thread>

namespace testsupport {
namespace {

// Only a broken program takes this long; a slow machine stays far below it.
constexpr std::chrono::seconds kBound{30};
constexpr std::chrono::milliseconds kPollInterval{10};

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

std::optional<std::uint16_t> CGatewaydProcess::WaitForPort(const std::filesystem::path& portFile) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (std::chrono::steady_clock::now() < deadline) {
        // The program writes the file atomically, so a file that exists is complete.
        const std::string text = ReadFile(portFile);
        unsigned port = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
        if (!text.empty() && error == std::errc() && text.substr(end - text.data()) == "\n") {
            return static_cast<std::uint16_t>(port);
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

} // namespace testsupport
