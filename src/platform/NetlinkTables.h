#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Addresses are IPv4 in network byte order, as the system's tables hold them.

struct RouteEntry {
    std::uint32_t destination = 0; // network byte order
    std::uint8_t prefixLength = 0;
    std::uint32_t gateway = 0; // 0 when the route has no next hop
    int interfaceIndex = 0;    // of the first next hop; 0 when the route names none
    std::uint8_t type = 0;     // RTN_* of <linux/rtnetlink.h>
    std::uint8_t protocol = 0; // RTPROT_*
    std::uint32_t metric = 0;

    friend bool operator==(const RouteEntry&, const RouteEntry&) = default;
};

struct NeighbourEntry {
    int interfaceIndex = 0;
    std::array<std::uint8_t, 8> hardwareAddress{};
    std::size_t hardwareLength = 0; // 0 when the entry has no hardware address
    std::uint32_t address = 0;      // network byte order
    std::uint16_t state = 0;        // NUD_* of <linux/neighbour.h>

    friend bool operator==(const NeighbourEntry&, const NeighbourEntry&) = default;
};

// Every IPv4 route of the main routing table, in the order the kernel lists them; a
// multipath route shows its first next hop. On false routes is untouched and error holds a
// one-line English reason. Reads the calling thread's network namespace; safe to call from
// any thread.
bool ReadRoutes(std::vector<RouteEntry>& routes, std::string& error);

// Every IPv4 neighbour entry, in the order the kernel lists them; as ReadRoutes.
bool ReadNeighbours(std::vector<NeighbourEntry>& neighbours, std::string& error);

// The entry type of the text's ARP tables for a NUD state: 1 other, 2 invalid,
// 3 dynamic, 4 static (NUD_PERMANENT and NUD_NOARP are static; NUD_FAILED and
// NUD_INCOMPLETE invalid; the reachable, stale, delay and probe states dynamic).
int NeighbourType(std::uint16_t state);

} // namespace platform
