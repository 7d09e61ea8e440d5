#include "config/ServerSettings.h"

#include <algorithm>
#include <cctype>

namespace config {
namespace {

constexpr std::size_t kMaxHostLength = 253;
constexpr std::size_t kMaxLabelLength = 63;
constexpr std::size_t kMaxPortDigits = 5;
constexpr std::string_view kMailSpecials = "\"(),:;<>@[\\]";

bool IsUsableLabel(std::string_view label) {
    return !label.empty() && label.size() <= kMaxLabelLength && label.front() != '-' &&
           label.back() != '-' && std::all_of(label.begin(), label.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
           });
}

} // namespace

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > kMaxPortDigits) {
        return std::nullopt;
    }
    unsigned int port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + static_cast<unsigned int>(c - '0');
    }
    if (port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

bool IsUsableHostName(std::string_view text) {
    if (text.empty() || text.size() > kMaxHostLength) {
        return false;
    }
    for (std::size_t start = 0;;) {
        const std::size_t dot = text.find('.', start);
        if (!IsUsableLabel(text.substr(start, dot - start))) {
            return false;
        }
        if (dot == std::string_view::npos) {
            return true;
        }
        start = dot + 1;
    }
}

bool IsUsableMailAddress(std::string_view text) {
    const std::size_t at = text.find('@');
    if (at == 0 || at == std::string_view::npos) {
        return false;
    }
    const std::string_view local = text.substr(0, at);
    const bool localUsable = std::all_of(local.begin(), local.end(), [](char c) {
        const auto value = static_cast<unsigned char>(c);
        return value > 0x20 && value < 0x7F && kMailSpecials.find(c) == std::string_view::npos;
    });
    return localUsable && IsUsableHostName(text.substr(at + 1));
}

} // namespace config
