#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace gatewayd {

// The documents that the gateway site publishes over plain HTTP.
inline constexpr std::string_view kIpMacPath = "/ipmac/w5hqey";
inline constexpr std::string_view kAnnouncementPath = "/announce/vornmsg.xml";

// The byte that every byte of the IP-MAC list is XORed with on the wire.
inline constexpr unsigned char kIpMacScramble = 0xD6;

// A document larger than this is not served (500), so a wrong file cannot flood a client.
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{1} << 20;

// Where the documents come from; an empty path publishes nothing under that name.
struct DocumentFiles {
    std::filesystem::path ipmac;        // the IP-MAC list, served scrambled
    std::filesystem::path announcement; // the announcement document, served as it is (GBK)
};

// What the plain-HTTP site answers. Each file is read at every request, so it may be
// changed or removed while the server runs. Knows nothing of sockets; any thread may call.
class CDocumentService {
public:
    explicit CDocumentService(DocumentFiles files) : m_files(std::move(files)) {}

    // The complete HTTP answer to one request head (see FindHeadEnd): 200 with the
    // document, 404 when it is unknown, not published or its file is missing, 400 for what
    // is no GET request, 500 when the file cannot be read or is too large.
    std::string Respond(std::string_view head) const;

private:
    const DocumentFiles m_files;
};

} // namespace gatewayd
