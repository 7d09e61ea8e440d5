#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gatewayd {

// The path of the gateway operations.
inline constexpr std::string_view kGatewayPath = "/vornofqel";

// The parameters of one gateway request, each absent when the query lacks it. uid comes as
// the client sent it (it does not encode it); password is URL-decoded. Bytes are GBK.
struct GatewayRequest {
    std::optional<std::string> uid;
    std::optional<std::string> password;
    std::optional<std::string> range;     // '1' free and paid, '2' free only, '4' all
    std::optional<std::string> operation; // connect, disconnect or disconnectall
};

enum class RequestProblem {
    None,
    BadRequest, // not a GET request line
    NotFound,   // a GET of another path
};

struct ParsedRequest {
    RequestProblem problem = RequestProblem::None;
    GatewayRequest request; // filled only when problem is None
};

// Parses the head of a request (up to its empty line, see FindHeadEnd). Takes the client's
// form "GET https://host:port/vornofqel?QUERY", without a protocol version, as well as
// "GET /vornofqel?QUERY HTTP/1.1"; lines may end in LF or CRLF. Headers are not looked at.
// Of repeated parameters the first counts; unknown ones are ignored.
ParsedRequest ParseGatewayRequest(std::string_view head);

// Decodes a query value: '+' is a space and %XX the byte XX. A '%' without two hex digits
// after it stands for itself.
std::string UrlDecode(std::string_view text);

// One KEY=VALUE entry of an answer.
struct AnswerEntry {
    std::string key;
    std::string value; // GBK; must not hold a space, which would end it early
};

// The answer body: "VORNCLIENT_START", each entry as KEY=VALUE followed by one space, then
// "VORNCLIENT_END".
std::string FormatAnswerBody(const std::vector<AnswerEntry>& entries);

} // namespace gatewayd
