#pragma once

namespace heartbeat {

// The indices of the two servers that the client probes.
inline constexpr int kCampusIndex = 0;   // "cam", a server inside the campus network
inline constexpr int kDomesticIndex = 1; // "dom", a server in the domestic network

// Receives the outcome of every probe cycle of a heartbeat server. The callbacks run on the
// probe threads, two servers' callbacks possibly at the same time, so a handler serialises
// its own state. A callback must not stop the watchdog that calls it.
class CHBHandler {
public:
    virtual ~CHBHandler() = default;

    // The server registered with index answered this cycle.
    virtual void OnHBReply(int /*index*/) {}

    // The server registered with index did not answer this cycle, or answered wrongly.
    virtual void OnHBNoReply(int /*index*/) {}
};

} // namespace heartbeat
