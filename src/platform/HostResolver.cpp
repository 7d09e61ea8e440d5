#include "platform/HostResolver.h"

#include <ares.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <mutex>
#include <utility>

namespace platform {
namespace {

using Deadline = std::chrono::steady_clock::time_point;

// A stop without a descriptor of its own is looked at this often.
constexpr std::chrono::milliseconds kStopSlice{20};

enum class StepResult { Going, TimedOut, Stopped };

// What one lookup found; filled by c-ares' callback.
struct Lookup {
    bool done = false;
    int status = ARES_ENOTFOUND;
    std::vector<std::string> addresses;
};

void CollectAddresses(void* arg, int status, int /*timeouts*/, ares_addrinfo* result) {
    auto* lookup = static_cast<Lookup*>(arg);
    lookup->done = true;
    lookup->status = status;
    for (const ares_addrinfo_node* node = result != nullptr ? result->nodes : nullptr;
         node != nullptr; node = node->ai_next) {
        std::array<char, INET6_ADDRSTRLEN> text{};
        const void* address =
            node->ai_family == AF_INET
                ? static_cast<const void*>(
                      &reinterpret_cast<const sockaddr_in*>(node->ai_addr)->sin_addr)
                : static_cast<const void*>(
                      &reinterpret_cast<const sockaddr_in6*>(node->ai_addr)->sin6_addr);
        if ((node->ai_family == AF_INET || node->ai_family == AF_INET6) &&
            inet_ntop(node->ai_family, address, text.data(), text.size()) != nullptr &&
            std::find(lookup->addresses.begin(), lookup->addresses.end(), text.data()) ==
                lookup->addresses.end()) {
            lookup->addresses.emplace_back(text.data());
        }
    }
    ares_freeaddrinfo(result);
}

int InitialiseLibrary() {
    static std::once_flag once;
    static int status = ARES_SUCCESS;
    std::call_once(once, [] { status = ares_library_init(ARES_LIB_INIT_ALL); });
    return status;
}

// One c-ares channel for one lookup; destroying it ends whatever is still pending.
class CChannel {
public:
    CChannel() = default;
    ~CChannel() {
        if (m_channel != nullptr) {
            ares_destroy(m_channel);
        }
    }
    CChannel(const CChannel&) = delete;
    CChannel& operator=(const CChannel&) = delete;

    int Open(const std::vector<std::string>& nameServers) {
        ares_options options{};
        if (const int status = ares_init_options(&m_channel, &options, 0); status != ARES_SUCCESS) {
            m_channel = nullptr;
            return status;
        }
        std::string servers;
        for (const std::string& server : nameServers) {
            servers += (servers.empty() ? "" : ",") + server;
        }
        return servers.empty() ? ARES_SUCCESS
                               : ares_set_servers_ports_csv(m_channel, servers.c_str());
    }

    ares_channel Get() const { return m_channel; }

private:
    ares_channel m_channel = nullptr;
};

// Waits for the channel's sockets or its next retry, at most until deadline, and lets
// c-ares handle what happened; a stop, when given, ends the wait at once.
StepResult Step(ares_channel channel, Deadline deadline, const CStopWaker* stop) {
    if (stop != nullptr && stop->StopRequested()) {
        return StepResult::Stopped;
    }
    auto remaining =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (remaining.count() <= 0) {
        return StepResult::TimedOut;
    }
    if (stop != nullptr && stop->Fd() < 0) {
        remaining = std::min(remaining, kStopSlice);
    }
    std::array<ares_socket_t, ARES_GETSOCK_MAXNUM> sockets{};
    const int mask = ares_getsock(channel, sockets.data(), static_cast<int>(sockets.size()));
    std::vector<pollfd> watched;
    if (stop != nullptr && stop->Fd() >= 0) {
        watched.push_back({stop->Fd(), POLLIN, 0});
    }
    for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
        const auto events = static_cast<short>((ARES_GETSOCK_READABLE(mask, i) ? POLLIN : 0) |
                                               (ARES_GETSOCK_WRITABLE(mask, i) ? POLLOUT : 0));
        if (events != 0) {
            watched.push_back({sockets[static_cast<std::size_t>(i)], events, 0});
        }
    }
    timeval limit{static_cast<time_t>(remaining.count() / 1000),
                  static_cast<suseconds_t>((remaining.count() % 1000) * 1000)};
    timeval next{};
    const timeval* wait = ares_timeout(channel, &limit, &next);
    const int waitMs = static_cast<int>(wait->tv_sec * 1000 + (wait->tv_usec + 999) / 1000);
    const int ready = poll(watched.data(), watched.size(), waitMs);
    if (stop != nullptr && stop->StopRequested()) {
        return StepResult::Stopped;
    }
    if (ready < 0) {
        return errno == EINTR ? StepResult::Going : StepResult::TimedOut;
    }
    if (ready == 0) {
        ares_process_fd(channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD); // retries and time-outs
        return StepResult::Going;
    }
    for (const pollfd& entry : watched) {
        if (entry.revents != 0 && (stop == nullptr || entry.fd != stop->Fd())) {
            const bool readable = (entry.revents & (POLLIN | POLLERR | POLLHUP)) != 0;
            const bool writable = (entry.revents & (POLLOUT | POLLERR | POLLHUP)) != 0;
            ares_process_fd(channel, readable ? entry.fd : ARES_SOCKET_BAD,
                            writable ? entry.fd : ARES_SOCKET_BAD);
        }
    }
    return StepResult::Going;
}

// The c-ares of Debian 12 asks the DNS even for a numeric host, so a dead name server
// would fail a lookup that needs none.
bool IsNumericAddress(const std::string& host) {
    std::array<unsigned char, sizeof(in6_addr)> address{};
    return inet_pton(AF_INET, host.c_str(), address.data()) == 1 ||
           inet_pton(AF_INET6, host.c_str(), address.data()) == 1;
}

} // namespace

CHostResolver::CHostResolver(std::vector<std::string> nameServers)
    : m_nameServers(std::move(nameServers)) {}

CHostResolver::Result CHostResolver::Resolve(const std::string& host,
                                             std::chrono::milliseconds timeout,
                                             std::vector<std::string>& addresses,
                                             std::string& error, const CStopWaker* stop) const {
    if (IsNumericAddress(host)) {
        addresses = {host};
        return Result::Resolved;
    }
    const Deadline deadline = std::chrono::steady_clock::now() + timeout;
    Lookup lookup; // outlives the channel, whose destruction may still call back
    CChannel channel;
    int status = InitialiseLibrary();
    if (status == ARES_SUCCESS) {
        status = channel.Open(m_nameServers);
    }
    if (status != ARES_SUCCESS) {
        error = ares_strerror(status);
        return Result::Failed;
    }
    ares_addrinfo_hints hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    ares_getaddrinfo(channel.Get(), host.c_str(), nullptr, &hints, CollectAddresses, &lookup);
    while (!lookup.done) {
        switch (Step(channel.Get(), deadline, stop)) {
        case StepResult::Going:
            break;
        case StepResult::TimedOut:
            error = "the name server did not answer in time";
            return Result::TimedOut;
        case StepResult::Stopped:
            error = "the lookup was stopped";
            return Result::Stopped;
        }
    }
    if (lookup.status != ARES_SUCCESS || lookup.addresses.empty()) {
        error = ares_strerror(lookup.status == ARES_SUCCESS ? ARES_ENODATA : lookup.status);
        return Result::Failed;
    }
    addresses = std::move(lookup.addresses);
    return Result::Resolved;
}

} // namespace platform
