#include "platform/ProxyEnvironment.h"

#include <algorithm>

namespace platform {
namespace {

// The lower-case name first, as curl and wget read it.
std::string Variable(const EnvironmentLookup& lookup, const char* lower, const char* upper) {
    const char* value = lookup(lower);
    if (value == nullptr || *value == '\0') {
        value = lookup(upper);
    }
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace

std::string WithoutCredentials(std::string_view proxy) {
    const std::size_t scheme = proxy.find("://");
    const std::size_t authority = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::size_t path = std::min(proxy.find('/', authority), proxy.size());
    const std::size_t at = proxy.substr(0, path).rfind('@');
    if (at == std::string_view::npos || at < authority) {
        return std::string(proxy);
    }
    return std::string(proxy.substr(0, authority)) + std::string(proxy.substr(at + 1));
}

ProxySetting ProxyFromEnvironment(const EnvironmentLookup& lookup) {
    const std::string http = WithoutCredentials(Variable(lookup, "http_proxy", "HTTP_PROXY"));
    const std::string https = WithoutCredentials(Variable(lookup, "https_proxy", "HTTPS_PROXY"));
    ProxySetting setting;
    if (http.empty() && https.empty()) {
        return setting;
    }
    setting.accessType = ProxySetting::kProxy;
    if (http == https) {
        setting.proxy = http;
    } else if (https.empty()) {
        setting.proxy = "http=" + http;
    } else if (http.empty()) {
        setting.proxy = "https=" + https;
    } else {
        setting.proxy = "http=" + http + ";https=" + https;
    }
    setting.bypass = Variable(lookup, "no_proxy", "NO_PROXY");
    return setting;
}

} // namespace platform
