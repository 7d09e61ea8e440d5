#include "arpguard/IPMACCache.h"

#include "config/GbkXml.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <pugixml.hpp>

namespace arpguard {
namespace {

constexpr const char* kRootName = "IP2MAC";
constexpr const char* kEntryName = "IPMAC";
constexpr const char* kEntryPath = "IP2MAC/IPMAC";
constexpr const char* kIPName = "ip";
constexpr const char* kMACName = "mac";
constexpr const char* kDigits = "0123456789abcdef";

int DigitValue(unsigned char character) {
    if (character >= '0' && character <= '9') {
        return character - '0';
    }
    if (character >= 'a' && character <= 'f') {
        return character - 'a' + 10;
    }
    return character - 55;
}

// The bytes of hexadecimal text, two digits a byte.
void ParseBytes(std::string_view text, std::span<std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int value = DigitValue(static_cast<unsigned char>(text[2 * i])) * 16 +
                          DigitValue(static_cast<unsigned char>(text[2 * i + 1]));
        bytes[i] = static_cast<std::uint8_t>(value & 0xFF);
    }
}

std::string FormatBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(2 * bytes.size());
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

// The value of an entry's attribute, when it has one short enough to be gathered.
const char* UsableValue(const pugi::xml_node& entry, const char* name) {
    const pugi::xml_attribute attribute = entry.attribute(name);
    if (!attribute || std::strlen(attribute.value()) > kMaxAttributeLength) {
        return nullptr;
    }
    return attribute.value();
}

std::array<std::uint8_t, 4> Octets(std::uint32_t ip) {
    std::array<std::uint8_t, 4> octets{};
    std::memcpy(octets.data(), &ip, octets.size());
    return octets;
}

} // namespace

std::string DottedIP(std::uint32_t ip) {
    std::string text;
    for (const std::uint8_t octet : Octets(ip)) {
        text.append(text.empty() ? "" : ".").append(std::to_string(octet));
    }
    return text;
}

int CIPMACCache::Lookup(std::uint32_t ip, std::span<std::uint8_t, kMaxMACLength> mac,
                        std::uint32_t& macLen) const {
    const auto found = m_pairs.find(ip);
    if (found == m_pairs.end()) {
        return -1;
    }
    macLen = found->second.macLen;
    std::copy_n(found->second.mac.begin(), found->second.macLen, mac.begin());
    return 0;
}

int CIPMACCache::Set(std::uint32_t ip, std::span<const std::uint8_t> mac) {
    if (mac.size() > kMaxMACLength) {
        return -1;
    }
    IPMACPair& pair = m_pairs[ip];
    pair.ip = ip;
    pair.mac.fill(0);
    std::copy(mac.begin(), mac.end(), pair.mac.begin());
    pair.macLen = static_cast<std::uint32_t>(mac.size());
    return 0;
}

int CIPMACCache::CopyTo(CIPMACCache& destination) const {
    for (const auto& [ip, pair] : m_pairs) {
        if (destination.Set(ip, std::span(pair.mac).first(pair.macLen)) != 0) {
            return -1;
        }
    }
    return 0;
}

int CIPMACCache::AddText(std::string_view ipText, std::string_view macText) {
    std::uint32_t ip = 0;
    std::vector<std::uint8_t> mac;
    if (macText.size() != kMACTextLength || !ParseIP(ipText, ip) || !ParseMAC(macText, mac)) {
        return -1;
    }
    return Set(ip, mac);
}

std::string CIPMACCache::FormatIP(std::uint32_t ip) {
    return FormatBytes(Octets(ip));
}

std::string CIPMACCache::FormatMAC(std::span<const std::uint8_t> mac) {
    return FormatBytes(mac);
}

bool CIPMACCache::ParseIP(std::string_view text, std::uint32_t& ip) {
    if (text.size() != kIPTextLength) {
        return false;
    }
    std::array<std::uint8_t, 4> octets{};
    ParseBytes(text, octets);
    std::memcpy(&ip, octets.data(), octets.size());
    return true;
}

bool CIPMACCache::ParseMAC(std::string_view text, std::vector<std::uint8_t>& mac) {
    if (text.size() % 2 != 0 || text.size() > 2 * kMaxMACLength) {
        return false;
    }
    std::vector<std::uint8_t> bytes(text.size() / 2);
    ParseBytes(text, bytes);
    mac = std::move(bytes);
    return true;
}

bool CIPMACCache::ReadDocument(std::string_view text) {
    m_pairs.clear();
    pugi::xml_document document;
    if (config::ParseGbkXml(text, document) != 0) {
        return false;
    }
    for (const pugi::xpath_node& selected : document.select_nodes(kEntryPath)) {
        const char* ipText = UsableValue(selected.node(), kIPName);
        const char* macText = UsableValue(selected.node(), kMACName);
        // An entry without both texts is passed over; it never borrows an earlier one's.
        if (ipText != nullptr && macText != nullptr) {
            AddText(ipText, macText);
        }
    }
    return true;
}

bool CIPMACCache::WriteDocument(std::string& text) const {
    std::vector<const IPMACPair*> pairs;
    pairs.reserve(m_pairs.size());
    for (const auto& entry : m_pairs) {
        pairs.push_back(&entry.second);
    }
    std::sort(pairs.begin(), pairs.end(), [](const IPMACPair* a, const IPMACPair* b) {
        // The first octet is the first byte: byte order is address order.
        return std::memcmp(&a->ip, &b->ip, sizeof a->ip) < 0;
    });
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(kRootName);
    if (!root) {
        return false;
    }
    for (const IPMACPair* pair : pairs) {
        pugi::xml_node entry = root.append_child(kEntryName);
        if (!entry || !entry.append_attribute(kIPName).set_value(FormatIP(pair->ip).c_str()) ||
            !entry.append_attribute(kMACName).set_value(
                FormatMAC(std::span(pair->mac).first(pair->macLen)).c_str())) {
            return false;
        }
    }
    return config::WriteGbkXml(document, text);
}

} // namespace arpguard
