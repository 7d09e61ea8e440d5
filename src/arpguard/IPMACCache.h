#pragma once

#include "arpguard/IPMACPair.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace arpguard {

// The text forms of a document entry: 8 hexadecimal digits for an address, 12 for a
// hardware address.
inline constexpr std::size_t kIPTextLength = 8;
inline constexpr std::size_t kMACTextLength = 12;

// An attribute value of a document entry is gathered into 20 bytes: a longer one makes
// the entry unusable.
inline constexpr std::size_t kMaxAttributeLength = 19;

// ip (network byte order) in dotted decimal, for messages.
std::string DottedIP(std::uint32_t ip);

// Trusted IP-MAC pairs in memory, at most one per address, filled from and written to a
// backing store by the subclass. The backing stores hold the IP-MAC document:
//   <IP2MAC><IPMAC ip="0a010203" mac="001a2b3c4d5e"/>...</IP2MAC>
// GBK text without an XML declaration. A cache has no lock: one thread at a time.
class CIPMACCache {
public:
    CIPMACCache() = default;
    virtual ~CIPMACCache() = default;
    CIPMACCache(const CIPMACCache&) = default;
    CIPMACCache& operator=(const CIPMACCache&) = default;
    CIPMACCache(CIPMACCache&&) = default;
    CIPMACCache& operator=(CIPMACCache&&) = default;

    // Replaces the pairs with those of the backing store; 0 on success.
    virtual int Load() = 0;
    // Writes the pairs to the backing store; 0 on success.
    virtual int Save() = 0;

    // Copies the hardware address of ip into mac and its length into macLen and answers 0;
    // answers -1 and writes nothing when ip has no pair.
    virtual int Lookup(std::uint32_t ip, std::span<std::uint8_t, kMaxMACLength> mac,
                       std::uint32_t& macLen) const;

    // Makes mac (at most kMaxMACLength bytes) the hardware address of ip, adding the pair or
    // replacing the old one, and answers 0; answers -1 and changes nothing for a longer mac.
    virtual int Set(std::uint32_t ip, std::span<const std::uint8_t> mac);

    // Sets every pair of this cache in destination, whose other pairs stay. 0 on success.
    virtual int CopyTo(CIPMACCache& destination) const;

    // Adds the pair of an IP text of exactly 8 characters and a MAC text of exactly 12, as
    // Set does; -1 when either has another length.
    int AddText(std::string_view ipText, std::string_view macText);

    // The IP text of ip: 8 lowercase hexadecimal digits, the first octet first.
    static std::string FormatIP(std::uint32_t ip);
    // The MAC text of mac: two lowercase hexadecimal digits a byte, in byte order.
    static std::string FormatMAC(std::span<const std::uint8_t> mac);

    // The inverse of the two forms. Every character counts as a digit: '0'-'9' as 0 to 9,
    // 'a'-'f' as 10 to 15, any other as its code minus 55 (so 'A'-'F' count 10 to 15),
    // each byte being 16 times its first digit plus its second, kept to 8 bits. ParseIP
    // takes exactly 8 characters, ParseMAC an even count of at most 2 * kMaxMACLength;
    // on false the output is untouched.
    static bool ParseIP(std::string_view text, std::uint32_t& ip);
    static bool ParseMAC(std::string_view text, std::vector<std::uint8_t>& mac);

    // Replaces the pairs with the usable entries of an IP-MAC document (GBK, up to its first
    // NUL): every "IPMAC" element under the root "IP2MAC", in document order, that has both
    // an "ip" and a "mac" attribute of at most kMaxAttributeLength bytes, through AddText.
    // Other entries are skipped. False, leaving the cache empty, when the text is not one
    // well-formed document.
    bool ReadDocument(std::string_view text);

    // The pairs as an IP-MAC document, in address order. False when it cannot be built.
    bool WriteDocument(std::string& text) const;

    std::size_t Size() const { return m_pairs.size(); }
    void Clear() { m_pairs.clear(); }

private:
    std::unordered_map<std::uint32_t, IPMACPair> m_pairs;
};

} // namespace arpguard
