#include "tools/gatewayd/GatewayProtocol.h"

#include "tools/gatewayd/HttpMessage.h"

#include <cassert>

namespace gatewayd {
namespace {

constexpr std::string_view kStartMarker = "VORNCLIENT_START";
constexpr std::string_view kEndMarker = "VORNCLIENT_END";

int HexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    return -1;
}

void ReadQuery(std::string_view query, GatewayRequest& request) {
    while (!query.empty()) {
        const auto ampersand = query.find('&');
        const std::string_view parameter = query.substr(0, ampersand);
        query.remove_prefix(ampersand == std::string_view::npos ? query.size() : ampersand + 1);
        const auto equals = parameter.find('=');
        const std::string_view name = parameter.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : parameter.substr(equals + 1);
        auto keepFirst = [](std::optional<std::string>& field, std::string value) {
            if (!field) {
                field = std::move(value);
            }
        };
        if (name == "uid") {
            keepFirst(request.uid, std::string(value));
        } else if (name == "password") {
            keepFirst(request.password, UrlDecode(value));
        } else if (name == "range") {
            keepFirst(request.range, std::string(value));
        } else if (name == "operation") {
            keepFirst(request.operation, std::string(value));
        }
    }
}

} // namespace

ParsedRequest ParseGatewayRequest(std::string_view head) {
    const std::optional<std::string_view> target = GetRequestTarget(head);
    if (!target) {
        return {RequestProblem::BadRequest, {}};
    }
    const std::string_view pathAndQuery = *target;
    const auto question = pathAndQuery.find('?');
    if (pathAndQuery.substr(0, question) != kGatewayPath) {
        return {RequestProblem::NotFound, {}};
    }
    ParsedRequest parsed;
    if (question != std::string_view::npos) {
        ReadQuery(pathAndQuery.substr(question + 1), parsed.request);
    }
    return parsed;
}

std::string UrlDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            decoded += ' ';
            continue;
        }
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            decoded +=
                static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
            continue;
        }
        decoded += text[i];
    }
    return decoded;
}

std::string FormatAnswerBody(const std::vector<AnswerEntry>& entries) {
    std::string body(kStartMarker);
    for (const AnswerEntry& entry : entries) {
        assert(entry.value.find(' ') == std::string::npos);
        body += entry.key;
        body += '=';
        body += entry.value;
        body += ' ';
    }
    body += kEndMarker;
    return body;
}

} // namespace gatewayd
