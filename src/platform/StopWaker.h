#pragma once

#include <chrono>
#include <optional>
#include <stop_token>

namespace platform {

// A descriptor that becomes readable once a stop token is asked to stop, so that a thread
// blocked in poll() on its own descriptors wakes at once on a stop.
class CStopWaker {
public:
    // Watches token from now on; a stop already requested makes the descriptor readable at
    // once.
    explicit CStopWaker(std::stop_token token);
    ~CStopWaker();
    CStopWaker(const CStopWaker&) = delete;
    CStopWaker& operator=(const CStopWaker&) = delete;

    // The descriptor to poll for reading, or -1 when the system refused one; waits then
    // look at the token in short slices instead (see WaitReadable).
    int Fd() const { return m_fd; }

    bool StopRequested() const { return m_token.stop_requested(); }

private:
    struct Notifier {
        int fd;
        void operator()() const;
    };

    int m_fd;
    std::stop_token m_token;
    // Declared after m_fd so that it is unregistered before the descriptor closes.
    std::optional<std::stop_callback<Notifier>> m_callback;
};

enum class WaitResult {
    Ready,    // fd is readable, or has an error that the next call on it reports
    TimedOut, // the time passed first
    Stopped,  // a stop was requested
    Failed,   // the wait itself failed
};

// Waits until fd is readable, timeout has passed or a stop is requested, whichever comes
// first; with fd -1 it waits for the time or the stop only. A stop wins over readiness.
WaitResult WaitReadable(int fd, std::chrono::milliseconds timeout, const CStopWaker& waker);

} // namespace platform
