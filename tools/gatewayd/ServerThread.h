#pragma once

#include "tools/gatewayd/StopEvent.h"

#include <functional>
#include <string>
#include <thread>

namespace gatewayd {

// One serving thread and the stop event that all its waits watch.
class CServerThread {
public:
    CServerThread() = default;
    // Stops the thread.
    ~CServerThread();
    CServerThread(const CServerThread&) = delete;
    CServerThread& operator=(const CServerThread&) = delete;

    // False when the system refused the stop event; nothing can be started then.
    bool IsReady() const { return m_stop.IsOpen(); }

    // Runs body on a thread of its own; body returns once Event is notified. On failure error
    // says why, naming what the thread is for.
    bool Start(const std::string& what, std::function<void(const CStopEvent&)> body,
               std::string& error);

    // Notifies the stop event and joins the thread. Safe to call more than once.
    void Stop();

private:
    CStopEvent m_stop;
    std::thread m_thread;
};

} // namespace gatewayd
