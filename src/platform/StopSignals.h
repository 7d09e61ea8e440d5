#pragma once

#include <chrono>
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

    // As Wait, but for limit at most; answers 0 when it passed first.
    int WaitFor(std::chrono::milliseconds limit);

    // False when the signals could not be held back; the waits then fail at once.
    bool IsHeld() const { return m_held; }

private:
    sigset_t m_signals{};
    sigset_t m_previous{};
    bool m_held = false;
};

} // namespace platform
