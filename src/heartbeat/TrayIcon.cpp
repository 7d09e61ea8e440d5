#include "heartbeat/TrayIcon.h"

#include "heartbeat/ReachState.h"

namespace heartbeat {

int ChooseTrayIcon(int reachState, bool guardBound) {
    switch (reachState) {
    case REACH_CAMPUS:
        return guardBound ? IDI_GUARD_CAMPUS : IDI_NET_CAMPUS;
    case REACH_DOMESTIC:
        return guardBound ? IDI_GUARD_DOMESTIC : IDI_NET_DOMESTIC;
    default:
        return guardBound ? IDI_GUARD_NONE : IDI_NET_NONE;
    }
}

} // namespace heartbeat
