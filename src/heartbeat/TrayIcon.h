#pragma once

namespace heartbeat {

// The tray icons: the network icon with a badge, and beside a shield while the ARP guard
// holds its static entry.
inline constexpr int IDI_NET_NONE = 152;       // red cross badge
inline constexpr int IDI_NET_CAMPUS = 158;     // yellow bar badge
inline constexpr int IDI_NET_DOMESTIC = 159;   // green tick badge
inline constexpr int IDI_GUARD_CAMPUS = 165;   // red shield with a white bar
inline constexpr int IDI_GUARD_DOMESTIC = 166; // green shield with a white tick
inline constexpr int IDI_GUARD_NONE = 167;     // red shield with a white cross

// The icon for a reachability state (REACH_*) and the guard's bound flag. A value that is
// no state shows as REACH_NONE, so there is always an icon to draw.
int ChooseTrayIcon(int reachState, bool guardBound);

} // namespace heartbeat
