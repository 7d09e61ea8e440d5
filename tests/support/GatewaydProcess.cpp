#include "tests/support/GatewaydProcess.h"

#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

// Only a broken program takes this long; a slow machine stays far below it.
constexpr std::chrono::seconds kBound{30};
constexpr std::chrono::milliseconds kPollInterval{10};

} // namespace

CGatewaydProcess::CGatewaydProcess(std::filesystem::path outputDir)
    : m_stdoutPath(outputDir / "gatewayd.stdout"), m_stderrPath(outputDir / "gatewayd.stderr") {}

CGatewaydProcess::~CGatewaydProcess() {
    if (m_pid > 0 && !m_status) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool CGatewaydProcess::Start(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = GATEWAYD_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_stderrPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int spawned =
        posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    m_status.reset();
    if (spawned != 0) {
        m_pid = -1;
        return false;
    }
    return true;
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
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!m_status && std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t reaped = waitpid(m_pid, &status, WNOHANG);
        if (reaped == m_pid) {
            m_status = status;
        } else if (reaped < 0) {
            return std::nullopt;
        } else {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    if (!m_status) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_status = -1;
        return std::nullopt;
    }
    if (!WIFEXITED(*m_status)) {
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
