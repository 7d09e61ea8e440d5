#include "tests/support/BackgroundRun.h"

#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace testsupport {
namespace {

using namespace std::chrono_literals;

// Only a broken program takes this long: a reconnect comes about 20 s after a drop.
constexpr auto kOutputBound = 60s;

std::string WaitUntil(const std::filesystem::path& file,
                      const std::function<bool(const std::string&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kOutputBound;
    std::string out = ReadFile(file);
    while (!done(out) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
        out = ReadFile(file);
    }
    return out;
}

} // namespace

CBackgroundRun::CBackgroundRun(const std::filesystem::path& program,
                               const std::vector<std::string>& arguments,
                               const std::filesystem::path& folder, const std::string& name)
    : m_out(folder / (name + ".out")), m_err(folder / (name + ".err")) {
    m_pid = SpawnProgram(program, arguments, {{}, m_out, m_err});
    EXPECT_GT(m_pid, 0);
}

CBackgroundRun::~CBackgroundRun() {
    if (m_pid > 0 && !m_ended) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string CBackgroundRun::WaitForOutput(const std::string& expected) const {
    return WaitUntil(m_out, [&expected](const std::string& out) { return out == expected; });
}

std::string CBackgroundRun::WaitForOutputHolding(const std::string& text, int count) const {
    return WaitUntil(m_out,
                     [&](const std::string& out) { return Occurrences(out, text) >= count; });
}

std::optional<int> CBackgroundRun::Stop(int signal) {
    EXPECT_EQ(kill(m_pid, signal), 0);
    const std::optional<int> status = WaitForProgram(m_pid);
    m_ended = true;
    if (!status || !WIFEXITED(*status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(*status);
}

std::string CBackgroundRun::Out() const {
    return ReadFile(m_out);
}

std::string CBackgroundRun::Err() const {
    return ReadFile(m_err);
}

int Occurrences(const std::string& haystack, const std::string& text) {
    int count = 0;
    for (std::size_t at = haystack.find(text); at != std::string::npos;
         at = haystack.find(text, at + text.size())) {
        ++count;
    }
    return count;
}

} // namespace testsupport
