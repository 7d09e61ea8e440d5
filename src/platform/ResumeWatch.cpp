#include "platform/ResumeWatch.h"

#include "platform/StopWaker.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <limits>

namespace platform {
namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kPrepareForSleep = "PrepareForSleep";

std::uint64_t MonotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000U +
           static_cast<std::uint64_t>(now.tv_nsec) / 1'000U;
}

// How long poll() may sleep before sd-bus has a time-out of its own to handle.
int PollTimeout(sd_bus* bus) {
    std::uint64_t until = 0;
    if (sd_bus_get_timeout(bus, &until) < 0 || until == std::numeric_limits<std::uint64_t>::max()) {
        return -1;
    }
    const std::uint64_t now = MonotonicMicroseconds();
    const std::uint64_t left = until > now ? (until - now + 999U) / 1000U : 0U;
    return static_cast<int>(std::min<std::uint64_t>(left, std::numeric_limits<int>::max()));
}

// userdata is the watch's callback.
int OnPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error* /*error*/) {
    int sleeping = 0;
    if (sd_bus_message_read(message, "b", &sleeping) < 0) {
        return 0; // not the signal's form: nothing to tell
    }
    const auto& resumed = *static_cast<const std::function<void()>*>(userdata);
    if (sleeping == 0 && resumed) {
        resumed();
    }
    return 0;
}

} // namespace

CResumeWatch::CResumeWatch(std::function<void()> resumed) : m_resumed(std::move(resumed)) {}

CResumeWatch::~CResumeWatch() {
    Stop();
}

bool CResumeWatch::Start() {
    if (m_thread.joinable() || m_bus != nullptr) {
        return false;
    }
    if (sd_bus_open_system(&m_bus) < 0 ||
        sd_bus_match_signal(m_bus, &m_slot, kLogind, kLogindPath, kManager, kPrepareForSleep,
                            &OnPrepareForSleep, &m_resumed) < 0) {
        Release();
        return false;
    }
    m_thread = std::jthread([this](const std::stop_token& stop) { Listen(stop); });
    return true;
}

void CResumeWatch::Stop() {
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
    Release();
}

void CResumeWatch::Release() {
    m_slot = sd_bus_slot_unref(m_slot);
    m_bus = sd_bus_flush_close_unref(m_bus);
}

void CResumeWatch::Listen(const std::stop_token& stop) {
    const CStopWaker waker(stop);
    while (!stop.stop_requested()) {
        const int processed = sd_bus_process(m_bus, nullptr);
        if (processed < 0) {
            return; // the bus went away: no resume can be told any more
        }
        if (processed > 0) {
            continue;
        }
        const int events = sd_bus_get_events(m_bus);
        if (events < 0) {
            return;
        }
        pollfd watched[2] = {{sd_bus_get_fd(m_bus), static_cast<short>(events), 0},
                             {waker.Fd(), POLLIN, 0}};
        // Without a stop descriptor the token is looked at in short slices.
        const int timeout = waker.Fd() >= 0 ? PollTimeout(m_bus) : 20;
        if (poll(watched, 2, timeout) < 0 && errno != EINTR) {
            return;
        }
    }
}

} // namespace platform
