#include "platform/StopSignals.h"

#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace platform {

CStopSignals::CStopSignals() {
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    m_held = pthread_sigmask(SIG_BLOCK, &m_signals, &m_previous) == 0;
}

CStopSignals::~CStopSignals() {
    if (m_held) {
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
}

int CStopSignals::Wait() {
    int received = 0;
    if (!m_held || sigwait(&m_signals, &received) != 0) {
        return -1;
    }
    return received;
}

int CStopSignals::WaitFor(std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    while (m_held) {
        const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
        const auto seconds = std::chrono::floor<std::chrono::seconds>(left);
        const timespec wait{static_cast<time_t>(seconds.count()),
                            static_cast<long>((left - seconds) / std::chrono::nanoseconds(1))};
        const int received = sigtimedwait(&m_signals, nullptr, &wait);
        if (received > 0) {
            return received;
        }
        if (errno == EAGAIN) {
            return 0;
        }
        if (errno != EINTR) {
            break;
        }
    }
    return -1;
}

} // namespace platform
