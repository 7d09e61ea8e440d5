#include "tools/gatewayd/DocumentService.h"

#include "platform/BinaryFile.h"
#include "tools/gatewayd/HttpMessage.h"

namespace gatewayd {
namespace {

std::string NotFound() {
    return BuildHttpResponse("404 Not Found", "not found\n");
}

} // namespace

std::string CDocumentService::Respond(std::string_view head) const {
    const std::optional<std::string_view> target = GetRequestTarget(head);
    if (!target) {
        return BuildHttpResponse("400 Bad Request", "bad request\n");
    }
    const std::string_view path = target->substr(0, target->find('?'));
    const bool isIpMac = path == kIpMacPath;
    if (!isIpMac && path != kAnnouncementPath) {
        return NotFound();
    }
    const std::filesystem::path& file = isIpMac ? m_files.ipmac : m_files.announcement;
    if (file.empty()) {
        return NotFound();
    }
    std::string body;
    switch (platform::ReadFileUpTo(file, kMaxDocumentBytes, body)) {
    case platform::ReadFileStatus::Ok:
        break;
    case platform::ReadFileStatus::CannotOpen:
        return NotFound();
    case platform::ReadFileStatus::TooLarge:
    case platform::ReadFileStatus::Failed:
        return BuildHttpResponse("500 Internal Server Error", "cannot read the document\n");
    }
    if (!isIpMac) {
        return BuildHttpResponse("200 OK", body, "text/xml");
    }
    for (char& byte : body) {
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kIpMacScramble);
    }
    return BuildHttpResponse("200 OK", body, "application/octet-stream");
}

} // namespace gatewayd
