#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The mask of a prefix length (0 to 32), in network byte order.
std::uint32_t MaskOf(int prefixLength);

// The dotted text of an IPv4 address in network byte order: its four bytes in memory
// order, each in decimal.
std::string Ipv4Text(std::uint32_t address);

} // namespace platform
