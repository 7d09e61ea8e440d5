#include "tools/gatewayd/HttpMessage.h"

namespace gatewayd {
namespace {

// The path and query of a request target, given as an absolute URL or as a path.
std::string_view PathAndQuery(std::string_view target) {
    for (const std::string_view scheme : {"https://", "http://"}) {
        if (target.starts_with(scheme)) {
            target.remove_prefix(scheme.size());
            const auto slash = target.find('/');
            return slash == std::string_view::npos ? std::string_view() : target.substr(slash);
        }
    }
    return target;
}

} // namespace

std::size_t FindHeadEnd(std::string_view received) {
    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t lineEnd = received.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            return std::string_view::npos;
        }
        const std::string_view line = received.substr(lineStart, lineEnd - lineStart);
        if (line.empty() || line == "\r") {
            return lineEnd + 1;
        }
        lineStart = lineEnd + 1;
    }
}

std::optional<std::string_view> GetRequestTarget(std::string_view head) {
    std::string_view line = head.substr(0, head.find('\n'));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    constexpr std::string_view kGet = "GET ";
    if (!line.starts_with(kGet)) {
        return std::nullopt;
    }
    std::string_view target = line.substr(kGet.size());
    // The gateway client's own form has no protocol version; a space can only come before
    // one, since the client encodes the spaces of the password and a name holds none.
    if (const auto space = target.find(' '); space != std::string_view::npos) {
        if (!target.substr(space + 1).starts_with("HTTP/")) {
            return std::nullopt;
        }
        target = target.substr(0, space);
    }
    return PathAndQuery(target);
}

std::string BuildHttpResponse(std::string_view status, std::string_view body,
                              std::string_view contentType) {
    std::string response = "HTTP/1.0 ";
    response += status;
    response += "\r\nContent-Type: ";
    response += contentType;
    response += "\r\nContent-Length: ";
    response += std::to_string(body.size());
    response += "\r\nConnection: close\r\n\r\n";
    response += body;
    return response;
}

} // namespace gatewayd
