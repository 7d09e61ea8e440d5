#pragma once

#include "config/VORNConfig.h"
#include "gateway/QELVORNClient.h"
#include "heartbeat/ConWatchDog.h"
#include "heartbeat/ReachState.h"
#include "heartbeat/ReconnectPolicy.h"
#include "platform/ResumeWatch.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace cli {

class CCommandContext;

// vornctl keep: connects, then runs the heartbeat probes, the resume watch and the
// reconnect policy, and reconnects on a thread of its own when the policy asks. Prints one
// line with a time stamp for every change of the reachability and every reconnect.
class CKeepConnection {
public:
    static constexpr int kExitNoServers = 4;
    static constexpr int kExitFailed = 1;
    static constexpr int kExitDisconnectFailed = 4;

    // Prints and complains through context; client holds the account and range. Both must
    // outlive the object.
    CKeepConnection(const CCommandContext& context, gateway::CQELVORNClient& client);

    // Connects and keeps the connection until SIGINT or SIGTERM, then disconnects unless
    // stay. Answers the exit status: connect's for a first connect that fails, kExitNoServers
    // when the settings name no usable heartbeat server, kExitDisconnectFailed when the last
    // disconnect failed, the connect status of the refusal that stopped the reconnects, 0
    // otherwise. Call once, from the main thread, before other threads are started.
    int Run(config::CVORNConfig& settings, bool stay);

private:
    using Clock = heartbeat::ReconnectClock;

    bool RegisterServers(config::CVORNConfig& settings);
    void OnReachChanged();
    void OnResumed();
    void Drive(const std::stop_token& stop);
    void Attempt(bool disconnectAll, std::unique_lock<std::mutex>& lock);
    void ReportAttempt(int code);
    int Finish(bool stay);
    // Prints a line with the time stamp; the caller holds m_mutex or runs alone.
    void Print(std::string_view gbk);

    const CCommandContext& m_context;
    gateway::CQELVORNClient& m_client;

    std::mutex m_mutex; // guards what follows, and the output
    std::condition_variable_any m_wake;
    bool m_woken = false;
    int m_printedReach = 0;
    int m_stopStatus = 0;
    heartbeat::CReconnectPolicy m_policy;

    // The threads' owners last, so that they stop before what they use goes.
    heartbeat::CReachState m_reach;
    heartbeat::CConWatchDog m_watchDog;
    platform::CResumeWatch m_resume;
    std::jthread m_driver;
};

} // namespace cli
