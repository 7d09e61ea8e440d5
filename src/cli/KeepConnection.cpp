#include "cli/KeepConnection.h"

#include "cli/CommandContext.h"
#include "cli/GbkOutput.h"
#include "cli/ReachWatch.h"
#include "gateway/Reconnect.h"
#include "gateway/StatusRows.h"
#include "platform/LocalTime.h"
#include "platform/StopSignals.h"

#include <array>
#include <cstdio>

namespace cli {
namespace {

std::string TimeStamp() {
    const platform::LocalTime now = platform::CurrentLocalTime();
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return text.data();
}

} // namespace

CKeepConnection::CKeepConnection(const CCommandContext& context, gateway::CQELVORNClient& client)
    : m_context(context), m_client(client), m_reach([this] { OnReachChanged(); }),
      m_resume([this] { OnResumed(); }) {}

int CKeepConnection::Run(config::CVORNConfig& settings, bool stay) {
    // Before any thread starts, so that every thread inherits the blocked signals.
    platform::CStopSignals signals;
    if (!signals.IsHeld()) {
        return m_context.Fail(kExitFailed, "cannot block the stop signals");
    }
    if (!RegisterProbes(m_context, settings, m_watchDog, m_reach)) {
        return kExitNoServers;
    }
    if (const int code = m_client.Connect(); code != gateway::RESULT_OK) {
        return m_context.FailGbk(-code, m_client.GetMessage());
    }
    m_context.PrintRows(gateway::ConnectedStatusRows(m_client.GetResult()));
    m_policy.Connected();
    // Without a system bus a resume is not seen; the heartbeat still sees the drop. Once it
    // has started, the first line below tells that a resume is seen.
    [[maybe_unused]] const bool resumeWatched = m_resume.Start();
    OnReachChanged();
    if (!m_watchDog.Start()) {
        m_context.Fail(0, "warning: not every heartbeat probe could start");
    }
    m_driver = std::jthread([this](const std::stop_token& stop) { Drive(stop); });
    const bool waited = signals.Wait() > 0;
    m_driver.request_stop();
    m_driver.join();
    m_resume.Stop();
    m_watchDog.Stop();
    const int status = Finish(stay);
    return waited ? status : m_context.Fail(kExitFailed, "cannot wait for the stop signals");
}

void CKeepConnection::OnReachChanged() {
    const std::lock_guard lock(m_mutex);
    // The state is read again here, so two changes in quick succession may show as one.
    const int state = m_reach.GetState();
    if (state == m_printedReach) {
        return;
    }
    m_printedReach = state;
    Print(std::string("reach ") + heartbeat::ReachStateName(state));
    m_policy.ReachChanged(state, Clock::now());
    m_woken = true;
    m_wake.notify_all();
}

void CKeepConnection::OnResumed() {
    const std::lock_guard lock(m_mutex);
    Print("resumed from suspend");
    m_policy.Resumed(Clock::now());
    m_woken = true;
    m_wake.notify_all();
}

void CKeepConnection::Drive(const std::stop_token& stop) {
    std::unique_lock lock(m_mutex);
    const auto woken = [this] { return m_woken; };
    while (!stop.stop_requested()) {
        const heartbeat::ReconnectDecision decision = m_policy.Next(Clock::now());
        switch (decision.kind) {
        case heartbeat::ReconnectDecision::Kind::Rest:
            m_wake.wait(lock, stop, woken);
            break;
        case heartbeat::ReconnectDecision::Kind::Wait:
            m_wake.wait_until(lock, stop, decision.at, woken);
            break;
        case heartbeat::ReconnectDecision::Kind::Reconnect:
        case heartbeat::ReconnectDecision::Kind::ReconnectAfterDisconnectAll:
            Attempt(decision.kind ==
                        heartbeat::ReconnectDecision::Kind::ReconnectAfterDisconnectAll,
                    lock);
            break;
        }
        m_woken = false;
    }
}

// The exchange runs without the lock, so that the probes go on printing meanwhile; only this
// thread uses the client while it runs.
void CKeepConnection::Attempt(bool disconnectAll, std::unique_lock<std::mutex>& lock) {
    Print(disconnectAll ? "reconnecting: too many connections, disconnecting all first"
                        : "reconnecting: " + m_policy.Trigger());
    lock.unlock();
    const int code = gateway::Reconnect(m_client, disconnectAll);
    lock.lock();
    m_policy.AttemptEnded(code, Clock::now());
    ReportAttempt(code);
}

void CKeepConnection::ReportAttempt(int code) {
    const std::string message = Visible(m_client.GetMessage());
    switch (m_policy.GetPhase()) {
    case heartbeat::CReconnectPolicy::Phase::Watching: {
        const gateway::GatewayResult& result = m_client.GetResult();
        Print("reconnected from " + Visible(result.m_szResIP.View()) + ", " +
              Visible(result.m_szConnections.View()) + " connection(s) open");
        break;
    }
    case heartbeat::CReconnectPolicy::Phase::Stopped:
        m_stopStatus = -code;
        Print("reconnects stopped: " + m_policy.Reason() + ": " + message);
        break;
    default: {
        const auto wait =
            std::chrono::ceil<std::chrono::seconds>(m_policy.RetryAt() - Clock::now());
        Print("reconnect failed: " + message + "; next attempt " +
              (wait.count() > 0 ? "in " + std::to_string(wait.count()) + " s" : "at once"));
        break;
    }
    }
}

// Runs alone, once the other threads have ended.
int CKeepConnection::Finish(bool stay) {
    if (stay || !m_client.IsConnected()) {
        Print(m_client.IsConnected() ? "stopped, staying connected" : "stopped");
        return m_stopStatus;
    }
    if (!m_client.Disconnect()) {
        Print("stopped; the disconnect failed: " + Visible(m_client.GetMessage()));
        return kExitDisconnectFailed;
    }
    Print("stopped and disconnected");
    return m_stopStatus;
}

void CKeepConnection::Print(std::string_view gbk) {
    m_context.PrintGbk(TimeStamp() + " " + std::string(gbk));
    std::fflush(m_context.Out());
}

} // namespace cli
