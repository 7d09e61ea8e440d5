#pragma once

#include "platform/NetlinkTables.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

// Three ARP requests a second apart, as the kernel sends them, and a little more.
inline constexpr std::chrono::milliseconds kResolveTimeout{3500};

// The stand-in for an ARP request: the hardware address of address (network byte order)
// on the interface. An entry that the network confirmed lately (reachable) is the answer
// as it stands; otherwise, a permanent entry too, the kernel is asked to resolve the
// address, as traffic to it would, and the wait for the outcome is at most timeout.
// Answers true with the kernel's entry once it is usable (a NUD_VALID state with a hardware
// address). False with a one-line English reason in error when no answer came in time,
// the requests went unanswered, or the table cannot be used. Needs CAP_NET_ADMIN. Safe to
// call from any thread.
bool ResolveNeighbour(std::uint32_t address, int interfaceIndex, NeighbourEntry& entry,
                      std::string& error, std::chrono::milliseconds timeout = kResolveTimeout);

// Deletes the neighbour entry of entry.address on entry.interfaceIndex, whatever it holds.
// True too when there is none. False with a one-line English reason in error otherwise.
// Needs CAP_NET_ADMIN.
bool DeleteNeighbour(const NeighbourEntry& entry, std::string& error);

// Makes the entry of entry.address on entry.interfaceIndex a permanent (static) one holding
// entry's hardware address, creating it or replacing the one there. False with a one-line
// English reason in error when it could not. Needs CAP_NET_ADMIN.
bool AddPermanentNeighbour(const NeighbourEntry& entry, std::string& error);

// Whether this process may change the neighbour table: it holds CAP_NET_ADMIN in its
// effective set.
bool MayChangeNeighbourTable();

// The name of the interface, or its index in decimal when it has none (any more).
std::string InterfaceName(int interfaceIndex);

} // namespace platform
