#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// The real gatewayd program, started by a test with its output in files. A process still
// running at destruction is killed.
class CGatewaydProcess {
public:
    // stdout and stderr go to files in outputDir.
    explicit CGatewaydProcess(const std::filesystem::path& outputDir);
    ~CGatewaydProcess();
    CGatewaydProcess(const CGatewaydProcess&) = delete;
    CGatewaydProcess& operator=(const CGatewaydProcess&) = delete;

    // Starts gatewayd with arguments; false when it cannot be started at all.
    bool Start(const std::vector<std::string>& arguments);

    // Waits, bounded, until portFile holds a port, and answers it; nothing when the program
    // ends first or the bound passes.
    std::optional<std::uint16_t> WaitForPort(const std::filesystem::path& portFile);

    // Sends signal to the program.
    bool Signal(int signal) const;

    // Waits, bounded, for the program to end and answers its exit code; nothing when it did
    // not end normally or in time (it is then killed).
    std::optional<int> WaitForExit();

    std::string Stdout() const;
    std::string Stderr() const;

private:
    std::filesystem::path m_stdoutPath;
    std::filesystem::path m_stderrPath;
    pid_t m_pid = -1;
    std::optional<int> m_status; // the wait status, once reaped
};

} // namespace testsupport
