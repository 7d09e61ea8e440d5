#include "heartbeat/ReconnectPolicy.h"

#include "gateway/QELVORNClient.h"
#include "heartbeat/ReachState.h"

#include <algorithm>
#include <random>

namespace heartbeat {
namespace {

// The share of a delay that the jitter may take off.
constexpr double kJitterShare = 0.2;

CReconnectPolicy::Draw RandomDraw() {
    return [engine = std::minstd_rand(std::random_device{}())]() mutable {
        return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
    };
}

// Why a refusal stops the policy; empty for the codes that a retry may mend.
const char* StopReason(int code) {
    switch (code) {
    case gateway::RESULT_BAD_PASSWORD:
        return "the password is wrong or missing";
    case gateway::RESULT_NO_USER_NAME:
        return "there is no user name";
    case gateway::RESULT_NO_RANGE:
        return "there is no access range";
    case gateway::RESULT_NO_PAID_RIGHT:
        return "the account has no right to paid addresses";
    default:
        return "";
    }
}

} // namespace

CReconnectPolicy::CReconnectPolicy(Draw draw) : m_draw(draw ? std::move(draw) : RandomDraw()) {}

void CReconnectPolicy::Connected() {
    m_phase = Phase::Watching;
    m_failures = 0;
    m_disconnectAll = false;
    m_disconnectAllUsed = false;
    m_reason.clear();
}

void CReconnectPolicy::Disconnected() {
    m_phase = Phase::Idle;
    m_reason.clear();
}

void CReconnectPolicy::ReachChanged(int state, ReconnectClock::time_point now) {
    const int previous = m_reach;
    m_reach = state;
    // A fall to none counts too: the two probes may change the state at one moment, and the
    // caller may then see only the second change.
    if (m_phase == Phase::Watching && previous == REACH_DOMESTIC && state != REACH_DOMESTIC) {
        Ask("the domestic heartbeat server stopped answering", now);
    } else if (m_phase == Phase::Pending && state == REACH_DOMESTIC) {
        Connected();
    }
}

void CReconnectPolicy::Resumed(ReconnectClock::time_point now) {
    if (m_phase == Phase::Watching || m_phase == Phase::Pending) {
        Ask("the machine resumed from suspend", now);
    }
}

void CReconnectPolicy::Ask(std::string trigger, ReconnectClock::time_point now) {
    m_phase = Phase::Pending;
    m_trigger = std::move(trigger);
    m_retryAt = now;
    m_failures = 0;
    m_disconnectAll = false;
    m_disconnectAllUsed = false;
}

void CReconnectPolicy::AttemptEnded(int code, ReconnectClock::time_point now) {
    if (m_phase != Phase::Attempting) {
        return;
    }
    if (code == gateway::RESULT_OK) {
        Connected();
        return;
    }
    if (const std::string reason = StopReason(code); !reason.empty()) {
        m_phase = Phase::Stopped;
        m_reason = reason;
        return;
    }
    m_phase = Phase::Pending;
    if (code == gateway::RESULT_TOO_MANY_CONNECTIONS && !m_disconnectAllUsed) {
        m_disconnectAll = true;
        m_disconnectAllUsed = true;
        m_retryAt = now;
        return;
    }
    ++m_failures;
    const std::chrono::milliseconds delay = BackoffDelay(m_failures);
    const double draw = std::clamp(m_draw(), 0.0, 1.0);
    m_retryAt =
        now + delay -
        std::chrono::duration_cast<std::chrono::milliseconds>(delay * (kJitterShare * draw));
}

ReconnectDecision CReconnectPolicy::Next(ReconnectClock::time_point now) {
    if (m_phase != Phase::Pending || m_reach == REACH_NONE) {
        return {};
    }
    if (now < m_retryAt) {
        return {ReconnectDecision::Kind::Wait, m_retryAt};
    }
    m_phase = Phase::Attempting;
    const bool disconnectAll = m_disconnectAll;
    m_disconnectAll = false;
    return {disconnectAll ? ReconnectDecision::Kind::ReconnectAfterDisconnectAll
                          : ReconnectDecision::Kind::Reconnect,
            {}};
}

std::chrono::milliseconds CReconnectPolicy::BackoffDelay(int failures) {
    std::chrono::milliseconds delay = kFirstDelay;
    for (int i = 1; i < failures && delay < kLongestDelay; ++i) {
        delay *= 2;
    }
    return std::min(delay, kLongestDelay);
}

const char* ReconnectPhaseName(CReconnectPolicy::Phase phase) {
    switch (phase) {
    case CReconnectPolicy::Phase::Idle:
        return "idle";
    case CReconnectPolicy::Phase::Watching:
        return "watching";
    case CReconnectPolicy::Phase::Pending:
        return "pending";
    case CReconnectPolicy::Phase::Attempting:
        return "attempting";
    case CReconnectPolicy::Phase::Stopped:
        return "stopped";
    }
    return "unknown";
}

} // namespace heartbeat
