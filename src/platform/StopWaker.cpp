#include "platform/StopWaker.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace platform {
namespace {

// Without an event descriptor the token is looked at this often.
constexpr std::chrono::milliseconds kFallbackSlice{20};
// poll() takes an int of milliseconds; longer waits go in slices.
constexpr std::chrono::milliseconds kLongestPoll{60'000};

} // namespace

void CStopWaker::Notifier::operator()() const {
    const std::uint64_t one = 1;
    // Only a full counter refuses the write, and a full counter is readable anyway.
    [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}

CStopWaker::CStopWaker(std::stop_token token)
    : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_token(std::move(token)) {
    if (m_fd >= 0) {
        m_callback.emplace(m_token, Notifier{m_fd});
    }
}

CStopWaker::~CStopWaker() {
    m_callback.reset();
    if (m_fd >= 0) {
        close(m_fd);
    }
}

WaitResult WaitReadable(int fd, std::chrono::milliseconds timeout, const CStopWaker& waker) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto longest = waker.Fd() >= 0 ? kLongestPoll : kFallbackSlice;
    pollfd watched[2] = {{waker.Fd(), POLLIN, 0}, {fd, POLLIN, 0}};
    for (;;) {
        if (waker.StopRequested()) {
            return WaitResult::Stopped;
        }
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            return WaitResult::TimedOut;
        }
        // Negative descriptors are skipped by poll().
        const int ready = poll(watched, 2, static_cast<int>(std::min(remaining, longest).count()));
        if (ready < 0 && errno != EINTR) {
            return WaitResult::Failed;
        }
        if (ready > 0 && watched[0].revents != 0) {
            return WaitResult::Stopped;
        }
        if (ready > 0 && watched[1].revents != 0) {
            return waker.StopRequested() ? WaitResult::Stopped : WaitResult::Ready;
        }
    }
}

} // namespace platform
