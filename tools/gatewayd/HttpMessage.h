#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace gatewayd {

// Where the head of a request ends: the offset just past its first empty line. Lines may
// end in LF or CRLF, mixed. Answers npos while no empty line has arrived.
std::size_t FindHeadEnd(std::string_view received);

// The path and query of a GET request, from the first line of its head: "GET TARGET" or
// "GET TARGET HTTP/x", the target a path or an absolute URL (whose path is taken; empty
// when it has none). Nothing when the line is no GET request.
std::optional<std::string_view> GetRequestTarget(std::string_view head);

// A complete HTTP/1.0 answer with the given body, after which the server closes the
// connection. status is the code and its phrase, such as "200 OK".
std::string BuildHttpResponse(std::string_view status, std::string_view body,
                              std::string_view contentType = "text/plain");

} // namespace gatewayd
