#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace arpguard {

// A hardware address of a pair holds at most this many bytes.
inline constexpr std::size_t kMaxMACLength = 12;

// One trusted pair of an IPv4 address and its hardware address.
struct IPMACPair {
    std::uint32_t ip = 0; // network byte order: the first octet in the lowest-addressed byte
    std::array<std::uint8_t, kMaxMACLength> mac{};
    std::uint32_t macLen = 0; // the meaningful bytes of mac; 6 for a pair read from a document
};

} // namespace arpguard
