#pragma once

#include <chrono>

namespace gatewayd {

// A one-way signal that every wait of a server watches, so that a stop reaches a thread
// blocked on a socket at once. Once notified it stays notified.
class CStopEvent {
public:
    CStopEvent();
    ~CStopEvent();
    CStopEvent(const CStopEvent&) = delete;
    CStopEvent& operator=(const CStopEvent&) = delete;

    // False when the system refused the event; nothing can then wait for it.
    bool IsOpen() const { return m_fd >= 0; }

    // Wakes every current and later wait. Safe from any thread, more than once.
    void Notify();

    // The descriptor that becomes readable on Notify; never read from.
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

enum class WaitResult {
    Ready,    // the socket is ready for what was asked
    TimedOut, // the deadline passed first
    Stopped,  // the stop event was notified
    Failed,   // the wait itself failed
};

using Deadline = std::chrono::steady_clock::time_point;

// Waits until fd is ready for events (poll flags), the deadline passes or stop is notified;
// with fd -1 it waits for the deadline or the stop only.
// A stop wins over readiness, so a stopping server does no more work.
WaitResult WaitForSocket(int fd, short events, Deadline deadline, const CStopEvent& stop);

} // namespace gatewayd
