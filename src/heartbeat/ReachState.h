#pragma once

#include "heartbeat/HBHandler.h"

#include <functional>
#include <mutex>

namespace heartbeat {

// How far the network reaches; only one value is ever held.
inline constexpr int REACH_NONE = 16;     // the campus heartbeat server does not answer
inline constexpr int REACH_CAMPUS = 32;   // the campus server answers, the domestic one not (yet)
inline constexpr int REACH_DOMESTIC = 64; // the domestic server answers too

// The state with its two miss counters.
struct ReachSnapshot {
    int state = REACH_CAMPUS;
    int campusMisses = 0;   // campus misses since the state last rose from REACH_NONE
    int domesticMisses = 0; // domestic misses since the state last rose to REACH_DOMESTIC

    friend bool operator==(const ReachSnapshot&, const ReachSnapshot&) = default;
};

// One step of the state machine: current after a reply (replied) or a miss of the server
// index (0 campus, 1 domestic). The state climbs one level per reply of the next server up
// and falls one level on the second miss of the server holding the current level; every
// other event leaves state and counters as they are.
ReachSnapshot NextReachState(const ReachSnapshot& current, int index, bool replied);

// The state's name: "none", "campus" or "domestic"; "unknown" for any other value.
const char* ReachStateName(int state);

// Folds the two probes' callbacks into the reachability state. It starts at REACH_CAMPUS with
// both counters 0. The callbacks may run on two threads at once; one mutex serialises them.
class CReachState : public CHBHandler {
public:
    // changed is called after every change of the state, on the probe thread that made it
    // and outside the mutex; it reads the state again with GetState. Changes made by the two
    // probes at the same moment may be reported in either order.
    explicit CReachState(std::function<void()> changed = {});

    void OnHBReply(int index) override;
    void OnHBNoReply(int index) override;

    // The state and counters at this moment; any thread.
    ReachSnapshot Snapshot() const;
    int GetState() const { return Snapshot().state; }

private:
    void Apply(int index, bool replied);

    mutable std::mutex m_hReachMutex; // guards m_reach
    ReachSnapshot m_reach;
    const std::function<void()> m_changed;
};

} // namespace heartbeat
