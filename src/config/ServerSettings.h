#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace config {

// Where this installation's gateway server, campus card site and support desk are, as the
// settings document names them. A field is empty when the document does not name it or
// names it in a form that cannot be used; the caller then falls back to its own default.
struct ServerSettings {
    std::optional<std::string> host;        // the gateway server's host name
    std::optional<std::uint16_t> tlsPort;   // its TLS port
    std::optional<std::uint16_t> httpPort;  // its plain-HTTP port
    std::optional<std::string> cardHost;    // the campus card site's host name
    std::optional<std::string> supportMail; // the support mail address
};

// A port in decimal digits only, 1 to 65535.
std::optional<std::uint16_t> ParsePort(std::string_view text);

// A DNS host name or dotted IPv4 address: letters, digits, '-' and '.', in labels of 1 to
// 63 characters, at most 253 in all. Anything else could end up inside a request line or
// a link as something other than a host.
bool IsUsableHostName(std::string_view text);

// local@host, the local part of printable ASCII without blanks, quotes, brackets or
// separators, the host as IsUsableHostName.
bool IsUsableMailAddress(std::string_view text);

} // namespace config
