#include "tools/gatewayd/StopEvent.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace gatewayd {
namespace {

// poll() takes an int of milliseconds; far deadlines are waited for in slices.
constexpr std::chrono::milliseconds kLongestPoll{60'000};

} // namespace

CStopEvent::CStopEvent() : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CStopEvent::~CStopEvent() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

void CStopEvent::Notify() {
    const std::uint64_t one = 1;
    // Only a full counter can refuse the write, and a full counter is readable anyway.
    [[maybe_unused]] const ssize_t written = write(m_fd, &one, sizeof one);
}

WaitResult WaitForSocket(int fd, short events, Deadline deadline, const CStopEvent& stop) {
    pollfd watched[2] = {{stop.Fd(), POLLIN, 0}, {fd, events, 0}};
    for (;;) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            return WaitResult::TimedOut;
        }
        const auto slice = std::min(remaining, kLongestPoll);
        const int ready = poll(watched, 2, static_cast<int>(slice.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return WaitResult::Failed;
        }
        if (watched[0].revents != 0) {
            return WaitResult::Stopped;
        }
        if (watched[1].revents != 0) {
            // Errors and hang-ups count as ready: the next call on the socket reports them.
            return WaitResult::Ready;
        }
    }
}

} // namespace gatewayd
