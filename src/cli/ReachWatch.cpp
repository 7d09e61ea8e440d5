#include "cli/ReachWatch.h"

#include "heartbeat/HBSSetting.h"
#include "heartbeat/StartWinsock.h"
#include "platform/StopSignals.h"

namespace cli {

CReachWatch::CReachWatch(std::FILE* out, std::FILE* err)
    : m_out(out), m_err(err), m_reach([this] { PrintState(); }) {}

int CReachWatch::Run(config::CVORNConfig& settings, std::optional<std::chrono::seconds> limit) {
    // Before any probe thread starts, so that the threads inherit the blocked signals.
    platform::CStopSignals signals;
    if (!signals.IsHeld()) {
        return Fail(kExitFailed, "cannot block the stop signals");
    }
    heartbeat::StartWinsock();
    const heartbeat::RegisteredServers registered =
        heartbeat::RegisterSettingsServers(settings, m_watchDog, m_reach);
    if (!registered.campus && !registered.domestic) {
        return Fail(kExitNoServers, "the settings name no usable heartbeat server: HBSCam and "
                                    "HBSDom are missing or not of the form host:port");
    }
    if (!registered.campus || !registered.domestic) {
        Fail(0, std::string("warning: HBS") + (registered.campus ? "Dom" : "Cam") +
                    " is missing or not of the form host:port; that server is not probed");
    }
    PrintState();
    if (!m_watchDog.Start()) {
        m_watchDog.Stop();
        return Fail(kExitFailed, "cannot start the heartbeat probes");
    }
    const int waited = limit ? signals.WaitFor(*limit) : signals.Wait();
    m_watchDog.Stop();
    return waited < 0 ? Fail(kExitFailed, "cannot wait for the stop signals") : 0;
}

void CReachWatch::PrintState() {
    const std::lock_guard lock(m_printMutex);
    const int state = m_reach.GetState();
    // The state is read again here, so two changes in quick succession may show as one.
    if (state != m_printed) {
        m_printed = state;
        std::fprintf(m_out, "%s\n", heartbeat::ReachStateName(state));
        std::fflush(m_out);
    }
}

int CReachWatch::Fail(int status, const std::string& message) {
    std::fprintf(m_err, "vornctl: %s\n", message.c_str());
    return status;
}

} // namespace cli
