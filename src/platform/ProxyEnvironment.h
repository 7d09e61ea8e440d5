#pragma once

#include "platform/NetworkState.h"

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Answers the value of an environment variable, or nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The proxy setting that programs of the session take from their environment:
// http_proxy and https_proxy (or their upper-case forms) give the proxy list, no_proxy
// the addresses reached without it. When neither proxy is set (or both are empty) the
// access type is direct. The list is "http=<proxy>;https=<proxy>" with the entries that
// are set, or the proxy alone when both are the same. User names and passwords in a
// proxy address are left out, since the report is meant to be shown to others.
ProxySetting ProxyFromEnvironment(const EnvironmentLookup& lookup);

// A proxy address without the "user:password@" part of its authority.
std::string WithoutCredentials(std::string_view proxy);

} // namespace platform
