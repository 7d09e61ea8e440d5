#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace heartbeat {

using ReconnectClock = std::chrono::steady_clock;

// What the policy wants done next.
struct ReconnectDecision {
    enum class Kind {
        Rest,      // nothing until the next event
        Wait,      // ask again at `at`
        Reconnect, // disconnect the stale connection (its result not looked at), then connect
        ReconnectAfterDisconnectAll, // disconnect all the account's connections, then connect
    };

    Kind kind = Kind::Rest;
    ReconnectClock::time_point at{}; // with Wait

    friend bool operator==(const ReconnectDecision&, const ReconnectDecision&) = default;
};

// When the client reconnects by itself. A pure state machine: the caller feeds it what
// happened, with the time it happened, and asks Next what to do; it runs nothing itself.
//
// While the client believes it is connected, a fall of the reachability state from domestic
// (the gateway dropped the connection) or a resume from suspend asks for one
// reconnect of the same account and range, at once. Failed attempts are tried again after
// 5 s, doubling up to 5 minutes, each delay shortened by up to a fifth at random so that
// many clients dropped together do not come back in step. No attempt is made while the
// campus server does not answer: the gateway is then out of reach anyway. The refusals that
// a retry cannot mend (wrong password, no user name, no range, no right to paid addresses)
// stop the policy; too many connections is answered once per drop by disconnecting all and
// connecting again. A reach back to domestic while a reconnect waits means the connection
// came back by itself.
//
// Not thread-safe: one thread at a time, or under the caller's lock.
class CReconnectPolicy {
public:
    enum class Phase {
        Idle,       // not connected, or disconnected by the user
        Watching,   // connected and well
        Pending,    // a reconnect is due at RetryAt, or once the campus server answers
        Attempting, // an attempt runs; AttemptEnded follows
        Stopped,    // a refusal that a retry cannot mend; Reason says which
    };

    static constexpr std::chrono::milliseconds kFirstDelay{5'000};
    static constexpr std::chrono::milliseconds kLongestDelay{300'000};

    // A draw in [0, 1) for the jitter; the default draws at random.
    using Draw = std::function<double()>;
    explicit CReconnectPolicy(Draw draw = {});

    // The user (or automatic log-on, or an attempt) connected: watch afresh.
    void Connected();
    // The user disconnected: rest until the next Connected.
    void Disconnected();

    // The reachability state became state (REACH_*) at now.
    void ReachChanged(int state, ReconnectClock::time_point now);
    // The machine resumed from suspend at now.
    void Resumed(ReconnectClock::time_point now);
    // The attempt that Next asked for ended with code (RESULT_*) at now. For
    // ReconnectAfterDisconnectAll it is the disconnect-all's code when that failed.
    void AttemptEnded(int code, ReconnectClock::time_point now);

    // What to do at now. A reconnect it answers moves the phase to Attempting.
    ReconnectDecision Next(ReconnectClock::time_point now);

    Phase GetPhase() const { return m_phase; }
    // Why the pending reconnect is wanted, in English; empty while none was.
    const std::string& Trigger() const { return m_trigger; }
    // Why the policy stopped, in English; empty unless Stopped.
    const std::string& Reason() const { return m_reason; }
    // When the pending reconnect is due (without regard to the campus server).
    ReconnectClock::time_point RetryAt() const { return m_retryAt; }
    // Failed attempts since the drop.
    int Failures() const { return m_failures; }

    // The delay after the failures-th failed attempt in a row (from 1), before the jitter.
    static std::chrono::milliseconds BackoffDelay(int failures);

private:
    void Ask(std::string trigger, ReconnectClock::time_point now);

    Draw m_draw;
    Phase m_phase = Phase::Idle;
    int m_reach = 0; // 0 until the first ReachChanged: the campus server is assumed to answer
    int m_failures = 0;
    bool m_disconnectAll = false;     // the next attempt disconnects all first
    bool m_disconnectAllUsed = false; // this drop has had its disconnect all
    ReconnectClock::time_point m_retryAt{};
    std::string m_trigger;
    std::string m_reason;
};

// The phase's name, for messages and tests: "idle", "watching", "pending", "attempting",
// "stopped".
const char* ReconnectPhaseName(CReconnectPolicy::Phase phase);

} // namespace heartbeat
