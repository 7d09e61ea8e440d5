#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What the resolver configuration (resolv(5)) says about name servers and the local domain.
struct ResolverConfig {
    std::vector<std::string> nameServers; // in the file's order
    std::string domain; // the last "domain" line, or the first name of the last "search" line
};

// Parses the text of a resolv.conf: keywords and values separated by blanks or tabs,
// comments from ';' or '#' at the start of a line. Unknown lines are passed over, as the
// resolver does.
ResolverConfig ParseResolverConfig(std::string_view text);

} // namespace platform
