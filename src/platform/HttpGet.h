#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>

namespace platform {

// What came back from one HTTP GET.
struct HttpResponse {
    long status = 0;        // the HTTP status code (callers decide whether it matters)
    std::string body;       // at most the caller's bound
    bool truncated = false; // the body was longer than the bound; the rest was dropped
};

// One plain-HTTP GET of http://host:port<path>, user agent "VORNClient", never through a
// proxy whatever the environment says, connect and transfer bounded together by timeout.
// host is a host name or a numeric address (an IPv6 one with or without brackets); path starts
// with '/'. Redirects are not followed and no other protocol than HTTP is spoken. Once the
// body passes maxBody bytes the transfer ends there: the response keeps the first maxBody
// bytes and says truncated.
// Answers true with the response, whatever its status; false with a one-line English
// reason in error when no response was received (no connection, timed out, broken
// transfer); response is then untouched. Safe to call from any thread.
bool HttpGet(const std::string& host, std::uint16_t port, const std::string& path,
             std::size_t maxBody, HttpResponse& response, std::string& error,
             std::chrono::milliseconds timeout = std::chrono::seconds(15));

// As above, and a stop request through stop ends the request at once, from any thread:
// the call then answers false with "stopped" in error.
bool HttpGet(const std::string& host, std::uint16_t port, const std::string& path,
             std::size_t maxBody, HttpResponse& response, std::string& error,
             std::chrono::milliseconds timeout, const std::stop_token& stop);

} // namespace platform
