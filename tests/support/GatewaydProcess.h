#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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

    // Starts gatewayd with its state, an empty accounts file and its port file in folder, a
    // free TLS port and the HTTP site on a free port, with documentArguments (such as
    // "--announce-file", FILE). Answers the HTTP port; nothing when it does not come up.
    std::optional<std::uint16_t> StartSite(const std::filesystem::path& folder,
                                           const std::vector<std::string>& documentArguments);

    // Waits, bounded, until portFile holds the ports, and answers the port of service:
    // "tls" or "http". Nothing when the program ends first, the bound passes or the program
    // does not serve that service.
    std::optional<std::uint16_t> WaitForPort(const std::filesystem::path& portFile,
                                             std::string_view service = "tls");

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

// Hands a control line (such as "heartbeat campus silent") to the gatewayd running with the
// state folder stateDir and answers its answer line; a failure to reach it fails the test
// and answers an empty text.
std::string SendGatewaydCommand(const std::filesystem::path& stateDir, const std::string& line);

} // namespace testsupport
