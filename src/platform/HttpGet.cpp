#include "platform/HttpGet.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <new>

namespace platform {
namespace {

constexpr const char* kUserAgent = "VORNClient";

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using MultiHandle = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;

// The longest single wait of a transfer; libcurl's own timers usually end it sooner.
constexpr int kPollMs = 1000;

// Where the body goes while it arrives.
struct BodySink {
    std::size_t maxBody = 0;
    std::string body;
    bool truncated = false;
};

// libcurl's write callback. Past the bound it keeps what fits and ends the transfer, so a
// huge or endless body costs no more than the bound.
std::size_t KeepBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto& sink = *static_cast<BodySink*>(context);
    const std::size_t length = size * count;
    const std::size_t room = sink.maxBody - sink.body.size();
    try {
        sink.body.append(data, std::min(length, room));
    } catch (const std::bad_alloc&) {
        return 0; // an exception must not cross libcurl
    }
    if (length > room) {
        sink.truncated = true;
        return 0;
    }
    return length;
}

// libcurl sets itself up once per process; the first caller does it, later ones wait.
CURLcode InitialiseLibrary() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    return result;
}

// An IPv6 address may come in the brackets of a URL; the brackets are not part of it.
std::string WithoutBrackets(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        return host.substr(1, host.size() - 2);
    }
    return host;
}

bool IsUsableHost(const std::string& host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == ':';
    });
}

bool IsUsablePath(const std::string& path) {
    return !path.empty() && path.front() == '/' &&
           std::none_of(path.begin(), path.end(),
                        [](unsigned char c) { return c <= ' ' || c == 0x7f || c == '#'; });
}

std::string Url(const std::string& host, std::uint16_t port, const std::string& path) {
    const bool isV6 = host.find(':') != std::string::npos;
    return "http://" + (isV6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + path;
}

template <typename Value>
bool SetOption(CURL* curl, CURLoption option, Value value, std::string& error) {
    const CURLcode code = curl_easy_setopt(curl, option, value);
    if (code != CURLE_OK) {
        error = std::string("cannot set up the request: ") + curl_easy_strerror(code);
        return false;
    }
    return true;
}

bool SetUp(CURL* curl, const std::string& url, long timeoutMs, BodySink& sink, char* errorBuffer,
           std::string& error) {
    // An empty proxy and "*" for the exceptions: the environment's proxy variables are
    // ignored, the request always goes straight to the server.
    return SetOption(curl, CURLOPT_ERRORBUFFER, errorBuffer, error) &&
           SetOption(curl, CURLOPT_URL, url.c_str(), error) &&
           SetOption(curl, CURLOPT_PROTOCOLS_STR, "http", error) &&
           SetOption(curl, CURLOPT_PROXY, "", error) &&
           SetOption(curl, CURLOPT_NOPROXY, "*", error) &&
           SetOption(curl, CURLOPT_USERAGENT, kUserAgent, error) &&
           // No signals: the caller may be any thread of a threaded program.
           SetOption(curl, CURLOPT_NOSIGNAL, 1L, error) &&
           SetOption(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs, error) &&
           SetOption(curl, CURLOPT_TIMEOUT_MS, timeoutMs, error) &&
           SetOption(curl, CURLOPT_WRITEFUNCTION, &KeepBody, error) &&
           SetOption(curl, CURLOPT_WRITEDATA, static_cast<void*>(&sink), error);
}

// libcurl wants a transfer out of its multi handle before either is cleaned up.
struct CDetachOnExit {
    CURLM* multi;
    CURL* easy;
    ~CDetachOnExit() { curl_multi_remove_handle(multi, easy); }
};

std::string MultiError(const char* what, CURLMcode code) {
    return std::string(what) + ": " + curl_multi_strerror(code);
}

// The transfer of curl, run through a multi handle so that a stop request can wake its
// wait at once. True when the transfer ran to its end, with libcurl's outcome in code;
// false with a reason in error when it was stopped or libcurl itself failed.
bool Perform(CURL* curl, const std::stop_token& stop, CURLcode& code, std::string& error) {
    const MultiHandle multi(curl_multi_init(), &curl_multi_cleanup);
    if (multi == nullptr) {
        error = "cannot create a transfer";
        return false;
    }
    if (const CURLMcode added = curl_multi_add_handle(multi.get(), curl); added != CURLM_OK) {
        error = MultiError("cannot start the transfer", added);
        return false;
    }
    const CDetachOnExit detach{multi.get(), curl};
    const std::stop_callback wake(stop, [&multi] { curl_multi_wakeup(multi.get()); });
    for (;;) {
        int running = 0;
        if (const CURLMcode performed = curl_multi_perform(multi.get(), &running);
            performed != CURLM_OK) {
            error = MultiError("transfer failed", performed);
            return false;
        }
        if (running == 0) {
            break;
        }
        if (stop.stop_requested()) {
            error = "stopped";
            return false;
        }
        if (const CURLMcode polled = curl_multi_poll(multi.get(), nullptr, 0, kPollMs, nullptr);
            polled != CURLM_OK) {
            error = MultiError("waiting for the transfer failed", polled);
            return false;
        }
    }
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl) {
            code = message->data.result;
            return true;
        }
    }
    error = "the transfer ended without an outcome";
    return false;
}

} // namespace

bool HttpGet(const std::string& host, std::uint16_t port, const std::string& path,
             std::size_t maxBody, HttpResponse& response, std::string& error,
             std::chrono::milliseconds timeout) {
    return HttpGet(host, port, path, maxBody, response, error, timeout, std::stop_token());
}

bool HttpGet(const std::string& host, std::uint16_t port, const std::string& path,
             std::size_t maxBody, HttpResponse& response, std::string& error,
             std::chrono::milliseconds timeout, const std::stop_token& stop) {
    const std::string bareHost = WithoutBrackets(host);
    if (!IsUsableHost(bareHost) || !IsUsablePath(path)) {
        error = "not a usable host and path for an HTTP request";
        return false;
    }
    if (const CURLcode code = InitialiseLibrary(); code != CURLE_OK) {
        error = std::string("cannot initialise libcurl: ") + curl_easy_strerror(code);
        return false;
    }
    const EasyHandle curl(curl_easy_init(), &curl_easy_cleanup);
    if (curl == nullptr) {
        error = "cannot create an HTTP request";
        return false;
    }
    const std::string url = Url(bareHost, port, path);
    // libcurl takes 0 for no limit at all; the shortest bound it knows is 1 ms.
    const long timeoutMs = std::max<long>(1, static_cast<long>(timeout.count()));
    BodySink sink;
    sink.maxBody = maxBody;
    std::array<char, CURL_ERROR_SIZE> errorBuffer{};
    if (!SetUp(curl.get(), url, timeoutMs, sink, errorBuffer.data(), error)) {
        return false;
    }
    CURLcode code = CURLE_OK;
    if (!Perform(curl.get(), stop, code, error)) {
        error = "GET " + url + ": " + error;
        return false;
    }
    if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && sink.truncated)) {
        error = "GET " + url + ": " +
                (errorBuffer[0] != '\0' ? errorBuffer.data() : curl_easy_strerror(code));
        return false;
    }
    long status = 0;
    if (const CURLcode info = curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
        info != CURLE_OK) {
        error = "GET " + url + ": no status code: " + curl_easy_strerror(info);
        return false;
    }
    response.status = status;
    response.body = std::move(sink.body);
    response.truncated = sink.truncated;
    return true;
}

} // namespace platform
