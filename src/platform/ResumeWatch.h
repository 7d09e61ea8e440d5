#pragma once

#include <functional>
#include <stop_token>
#include <thread>

struct sd_bus;
struct sd_bus_slot;

namespace platform {

// Tells when the machine has resumed from suspend, as systemd-logind announces it on the
// system bus (its PrepareForSleep signal with false). Without a system bus, or without
// logind on it, nothing is ever reported and nothing fails.
class CResumeWatch {
public:
    // resumed runs on the watch's own thread, once per resume.
    explicit CResumeWatch(std::function<void()> resumed);
    // Stops the watch.
    ~CResumeWatch();
    CResumeWatch(const CResumeWatch&) = delete;
    CResumeWatch& operator=(const CResumeWatch&) = delete;

    // Connects to the system bus ($DBUS_SYSTEM_BUS_ADDRESS, or the standard socket) and
    // listens on a thread of its own. False, with nothing running, when there is no bus or it
    // refuses the subscription. Call once, from the thread that calls Stop.
    bool Start();

    // Ends the listening promptly; once it has returned, resumed is not called any more.
    // Safe to call more than once, and without Start.
    void Stop();

    bool IsRunning() const { return m_thread.joinable(); }

private:
    void Listen(const std::stop_token& stop);
    void Release();

    std::function<void()> m_resumed;
    sd_bus* m_bus = nullptr;
    sd_bus_slot* m_slot = nullptr;
    std::jthread m_thread; // last: it ends before the bus goes
};

} // namespace platform
