#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A program running in the background while a test goes on, its output in files. A program
// still running at destruction is killed.
class CBackgroundRun {
public:
    // Starts program with arguments; its output goes to NAME.out and NAME.err in folder.
    CBackgroundRun(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& folder, const std::string& name);
    ~CBackgroundRun();
    CBackgroundRun(const CBackgroundRun&) = delete;
    CBackgroundRun& operator=(const CBackgroundRun&) = delete;

    // Waits, bounded, until the output is expected; answers the output then.
    std::string WaitForOutput(const std::string& expected) const;

    // Waits, bounded, until the output holds text at least count times; answers the output
    // then.
    std::string WaitForOutputHolding(const std::string& text, int count = 1) const;

    // Sends signal and answers the exit code; nothing when it did not end normally.
    std::optional<int> Stop(int signal);

    std::string Out() const;
    std::string Err() const;

private:
    std::filesystem::path m_out;
    std::filesystem::path m_err;
    pid_t m_pid = -1;
    bool m_ended = false;
};

// How often text occurs in haystack.
int Occurrences(const std::string& haystack, const std::string& text);

} // namespace testsupport
