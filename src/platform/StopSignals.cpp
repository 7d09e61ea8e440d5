#include "platform/StopSignals.h"

#include <pthread.h>

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

} // namespace platform
