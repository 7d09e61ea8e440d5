#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gatewayd {

// Where the head of a request ends: the offset just past its first empty line. Lines may
// end in LF or CRLF, mixed. Answers npos while no empty line has arrived.
std::size_t FindHeadEnd(std::string_view received);

// A complete HTTP/1.0 answer with a text/plain body, after which the server closes the
// connection. status is the code and its phrase, such as "200 OK".
std::string BuildHttpResponse(std::string_view status, std::string_view body);

} // namespace gatewayd
