#include "cli/ReachWatch.h"

#include "cli/CommandContext.h"
#include "heartbeat/HBSSetting.h"
#include "heartbeat/StartWinsock.h"
#include "platform/StopSignals.h"

#include <cstdio>
#include <string>

namespace cli {

bool RegisterProbes(const CCommandContext& context, config::CVORNConfig& settings,
                    heartbeat::CConWatchDog& watchDog, heartbeat::CHBHandler& handler) {
    heartbeat::StartWinsock();
    const heartbeat::RegisteredServers registered =
        heartbeat::RegisterSettingsServers(settings, watchDog, handler);
    if (!registered.campus && !registered.domestic) {
        context.Fail(0, "the settings name no usable heartbeat server: HBSCam and HBSDom are "
                        "missing or not of the form host:port");
        return false;
    }
    if (!registered.campus || !registered.domestic) {
        context.Fail(0, std::string("warning: HBS") + (registered.campus ? "Dom" : "Cam") +
                            " is missing or not of the form host:port; that server is not probed");
    }
    return true;
}

CReachWatch::CReachWatch(const CCommandContext& context)
    : m_context(context), m_reach([this] { PrintState(); }) {}

int CReachWatch::Run(config::CVORNConfig& settings, std::optional<std::chrono::seconds> limit) {
    // Before any probe thread starts, so that the threads inherit the blocked signals.
    platform::CStopSignals signals;
    if (!signals.IsHeld()) {
        return m_context.Fail(kExitFailed, "cannot block the stop signals");
    }
    if (!RegisterProbes(m_context, settings, m_watchDog, m_reach)) {
        return kExitNoServers;
    }
    PrintState();
    if (!m_watchDog.Start()) {
        m_watchDog.Stop();
        return m_context.Fail(kExitFailed, "cannot start the heartbeat probes");
    }
    const int waited = limit ? signals.WaitFor(*limit) : signals.Wait();
    m_watchDog.Stop();
    return waited < 0 ? m_context.Fail(kExitFailed, "cannot wait for the stop signals") : 0;
}

void CReachWatch::PrintState() {
    const std::lock_guard lock(m_printMutex);
    const int state = m_reach.GetState();
    // The state is read again here, so two changes in quick succession may show as one.
    if (state != m_printed) {
        m_printed = state;
        std::fprintf(m_context.Out(), "%s\n", heartbeat::ReachStateName(state));
        std::fflush(m_context.Out());
    }
}

} // namespace cli
