#pragma once

#include "arpguard/IPMACCache.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>

namespace arpguard {

// The campus address that a genuine list always holds a pair for (VORN_IPMAC_SENTINEL of
// the build), in network byte order.
inline constexpr std::uint32_t kIPMACSentinel =
    std::bit_cast<std::uint32_t>(std::array<std::uint8_t, 4>{VORN_IPMAC_SENTINEL_OCTETS});

// The list's body is kept in a buffer of 32768 bytes with its terminating NUL.
inline constexpr std::size_t kMaxListBytes = 32767;

// Every byte of the list travels XOR this.
inline constexpr unsigned char kListScramble = 0xD6;

// The cache filled from the IP-MAC list that the gateway server publishes over plain HTTP
// at "/ipmac/w5hqey", every byte scrambled. It is never written back.
class CRemoteIPMACCache : public CIPMACCache {
public:
    // host and port: the gateway server's plain-HTTP site. sentinel: the address the list
    // must hold a pair for.
    CRemoteIPMACCache(std::string host, std::uint16_t port,
                      std::uint32_t sentinel = kIPMACSentinel);

    // Replaces the pairs with those of the list and answers 0 when the list came whole, is
    // a well-formed IP-MAC document and holds a pair for the sentinel. Otherwise -1, with
    // the reason in LastError; the pairs are then of no use.
    int Load() override;
    // As Load, and a stop request through stop ends the download at once (-1).
    int Load(const std::stop_token& stop);

    // The list is never written back: answers -1 and changes nothing.
    int Save() override;

    // Fetches the list: answers 0 when a response came, whatever its status, with the
    // first kMaxListBytes bytes of its body unscrambled in body and whole false when the
    // body was longer. -1, with the reason in LastError and body empty, when no response
    // came. Bounded in time, and ended at once by a stop request through stop; blocks the
    // calling thread meanwhile.
    int DownloadList(std::string& body, bool& whole, const std::stop_token& stop = {});

    // Why the last Load or DownloadList failed, in English.
    const std::string& LastError() const { return m_strLastError; }

private:
    std::string m_strHost;
    std::uint16_t m_nPort;
    std::uint32_t m_nSentinel;
    std::string m_strLastError;
};

} // namespace arpguard
