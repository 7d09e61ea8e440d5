#include "platform/ResolverConfig.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view TakeWord(std::string_view& line) {
    const std::size_t start = std::min(line.find_first_not_of(kBlanks), line.size());
    line.remove_prefix(start);
    const std::size_t end = std::min(line.find_first_of(kBlanks), line.size());
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end);
    return word;
}

} // namespace

ResolverConfig ParseResolverConfig(std::string_view text) {
    ResolverConfig config;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::string_view keyword = TakeWord(line);
        if (keyword.empty() || keyword.front() == ';' || keyword.front() == '#') {
            continue;
        }
        const std::string_view value = TakeWord(line);
        if (value.empty()) {
            continue;
        }
        if (keyword == "nameserver") {
            config.nameServers.emplace_back(value);
        } else if (keyword == "domain" || keyword == "search") {
            // The two exclude each other: the last of them wins.
            config.domain = value;
        }
    }
    return config;
}

} // namespace platform
