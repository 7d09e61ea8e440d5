#pragma once

#include <csignal>

namespace platform {

// Holds SIGINT and SIGTERM back from the moment it is made, in the calling thread and in
// every thread that thread starts afterwards, so that Wait takes them instead of their
// default action ending the process midway. The signal mask is restored when it goes. Make
// it on the main thread before any other thread starts.
class CStopSignals {
public:
    CStopSignals();
    ~CStopSignals();
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

    // Waits for SIGINT or SIGTERM and answers which came; -1 when waiting failed.
    int Wait();

private:
    sigset_t m_signals{};
    sigset_t m_previous{};
    bool m_held = false;
};

} // namespace platform
