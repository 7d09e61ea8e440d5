#pragma once

#include "config/VORNConfig.h"
#include "heartbeat/ConWatchDog.h"
#include "heartbeat/ReachState.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace cli {

class CCommandContext;

// Starts the socket layer and registers the campus and domestic servers of settings with
// watchDog for handler, as the main window does. A single unusable entry is a warning through
// context; answers false, having said why, when neither entry is usable.
bool RegisterProbes(const CCommandContext& context, config::CVORNConfig& settings,
                    heartbeat::CConWatchDog& watchDog, heartbeat::CHBHandler& handler);

// vornctl watch: probes the campus and domestic heartbeat servers of the settings as the
// main window does, and prints the reachability state's name ("none", "campus",
// "domestic") on a line of its own: the starting state, then every change.
class CReachWatch {
public:
    static constexpr int kExitNoServers = 4;
    static constexpr int kExitFailed = 1;

    // Prints and complains through context, which must outlive the watch.
    explicit CReachWatch(const CCommandContext& context);

    // Watches until SIGINT or SIGTERM comes, or limit has passed when one is given, and
    // answers the exit status: 0 then, kExitNoServers when the settings name no usable
    // heartbeat server, kExitFailed when the probes or the signals cannot be set up. Call
    // once, from the main thread, before other threads are started.
    int Run(config::CVORNConfig& settings, std::optional<std::chrono::seconds> limit);

private:
    void PrintState();

    const CCommandContext& m_context;
    std::mutex m_printMutex; // orders the lines of the two probe threads
    int m_printed = 0;       // the state last printed; guarded by m_printMutex
    heartbeat::CReachState m_reach;
    heartbeat::CConWatchDog m_watchDog; // after m_reach, so it stops before m_reach goes
};

} // namespace cli
