#include "heartbeat/ReachState.h"

namespace heartbeat {
namespace {

constexpr int kMissesToFall = 2;

} // namespace

ReachSnapshot NextReachState(const ReachSnapshot& current, int index, bool replied) {
    ReachSnapshot next = current;
    if (current.state == REACH_NONE && index == kCampusIndex && replied) {
        next.campusMisses = 0;
        next.state = REACH_CAMPUS;
    } else if (current.state == REACH_CAMPUS && index == kDomesticIndex && replied) {
        next.domesticMisses = 0;
        next.state = REACH_DOMESTIC;
    } else if (current.state == REACH_CAMPUS && index == kCampusIndex && !replied) {
        next.state = ++next.campusMisses >= kMissesToFall ? REACH_NONE : REACH_CAMPUS;
    } else if (current.state == REACH_DOMESTIC && index == kDomesticIndex && !replied) {
        next.state = ++next.domesticMisses >= kMissesToFall ? REACH_CAMPUS : REACH_DOMESTIC;
    }
    return next;
}

const char* ReachStateName(int state) {
    switch (state) {
    case REACH_NONE:
        return "none";
    case REACH_CAMPUS:
        return "campus";
    case REACH_DOMESTIC:
        return "domestic";
    default:
        return "unknown";
    }
}

CReachState::CReachState(std::function<void()> changed) : m_changed(std::move(changed)) {}

void CReachState::OnHBReply(int index) {
    Apply(index, true);
}

void CReachState::OnHBNoReply(int index) {
    Apply(index, false);
}

ReachSnapshot CReachState::Snapshot() const {
    const std::lock_guard lock(m_hReachMutex);
    return m_reach;
}

void CReachState::Apply(int index, bool replied) {
    bool changed = false;
    {
        const std::lock_guard lock(m_hReachMutex);
        const ReachSnapshot next = NextReachState(m_reach, index, replied);
        changed = next.state != m_reach.state;
        m_reach = next;
    }
    if (changed && m_changed) {
        m_changed();
    }
}

} // namespace heartbeat
