#include "arpguard/RemoteIPMACCache.h"

#include "platform/HttpGet.h"

#include <utility>

namespace arpguard {
namespace {

constexpr const char* kListPath = "/ipmac/w5hqey";
constexpr std::chrono::seconds kListTimeout{15};

} // namespace

CRemoteIPMACCache::CRemoteIPMACCache(std::string host, std::uint16_t port, std::uint32_t sentinel)
    : m_strHost(std::move(host)), m_nPort(port), m_nSentinel(sentinel) {}

int CRemoteIPMACCache::DownloadList(std::string& body, bool& whole, const std::stop_token& stop) {
    body.clear();
    whole = false;
    platform::HttpResponse response;
    std::string error;
    if (!platform::HttpGet(m_strHost, m_nPort, kListPath, kMaxListBytes, response, error,
                           kListTimeout, stop)) {
        m_strLastError = "the list could not be downloaded: " + error;
        return -1;
    }
    for (char& byte : response.body) {
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kListScramble);
    }
    body = std::move(response.body);
    whole = !response.truncated;
    return 0;
}

int CRemoteIPMACCache::Load() {
    return Load(std::stop_token());
}

int CRemoteIPMACCache::Load(const std::stop_token& stop) {
    Clear();
    std::string body;
    bool whole = false;
    if (DownloadList(body, whole, stop) != 0) {
        return -1;
    }
    // A list cut short is not the list, even where the cut leaves a document.
    if (!whole) {
        m_strLastError = "the list is longer than " + std::to_string(kMaxListBytes) + " bytes";
        return -1;
    }
    if (!ReadDocument(body)) {
        m_strLastError = "the list is not an IP-MAC document";
        return -1;
    }
    std::array<std::uint8_t, kMaxMACLength> mac{};
    std::uint32_t length = 0;
    if (Lookup(m_nSentinel, mac, length) != 0) {
        m_strLastError = "the list has no pair for " + DottedIP(m_nSentinel);
        return -1;
    }
    return 0;
}

int CRemoteIPMACCache::Save() {
    return -1;
}

} // namespace arpguard
