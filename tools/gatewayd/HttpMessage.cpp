#include "tools/gatewayd/HttpMessage.h"

namespace gatewayd {

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

std::string BuildHttpResponse(std::string_view status, std::string_view body) {
    std::string response = "HTTP/1.0 ";
    response += status;
    response += "\r\nContent-Type: text/plain\r\nContent-Length: ";
    response += std::to_string(body.size());
    response += "\r\nConnection: close\r\n\r\n";
    response += body;
    return response;
}

} // namespace gatewayd
