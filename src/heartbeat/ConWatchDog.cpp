#include "heartbeat/ConWatchDog.h"

#include "platform/StopWaker.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>

namespace heartbeat {
namespace {

constexpr std::string_view kProbe = "r";
constexpr char kReply = 'A';
constexpr std::size_t kReceiveBufferSize = 128;

enum class Outcome { Reply, NoReply, NoCallback, Stopped };

// Looks the host up; false only when a stop came first. destination stays empty when the
// host cannot be resolved (yet).
bool Resolve(const HBSRecord& record, platform::CHostLookup& lookup,
             std::optional<platform::Ipv4Endpoint>& destination,
             const platform::CStopWaker& waker) {
    const platform::ResolvedHost resolved =
        lookup.ResolveIPv4(std::string(record.host.View()), waker);
    if (resolved.status == platform::ResolvedHost::Status::Stopped) {
        return false;
    }
    if (resolved.status == platform::ResolvedHost::Status::Resolved) {
        destination = platform::Ipv4Endpoint{resolved.address,
                                             static_cast<std::uint16_t>(record.port & 0xFFFF)};
    }
    return true;
}

Outcome TakeReply(platform::CUdpSocket& socket) {
    std::array<char, kReceiveBufferSize> buffer{};
    const std::optional<std::size_t> length = socket.Receive(buffer);
    return length == 1 && buffer[0] == kReply ? Outcome::Reply : Outcome::NoReply;
}

Outcome RunCycle(HBSRecord& record, platform::CHostLookup& lookup,
                 std::optional<platform::Ipv4Endpoint>& destination,
                 const platform::CStopWaker& waker) {
    const std::chrono::milliseconds interval(record.interval);
    if (!record.socket.Open()) {
        // Tried again next cycle; a cycle without a socket still takes the interval.
        return platform::WaitReadable(-1, interval, waker) == platform::WaitResult::Stopped
                   ? Outcome::Stopped
                   : Outcome::NoCallback;
    }
    if (!destination && !Resolve(record, lookup, destination, waker)) {
        return Outcome::Stopped;
    }
    if (destination) {
        // A probe that was not sent shows as a missing answer.
        [[maybe_unused]] const bool sent = record.socket.SendTo(*destination, kProbe);
    }
    if (platform::WaitReadable(-1, interval, waker) == platform::WaitResult::Stopped) {
        return Outcome::Stopped;
    }
    switch (platform::WaitReadable(record.socket.Fd(), interval, waker)) {
    case platform::WaitResult::Ready:
        return TakeReply(record.socket);
    case platform::WaitResult::TimedOut:
        return Outcome::NoReply;
    case platform::WaitResult::Failed:
        return Outcome::NoCallback;
    case platform::WaitResult::Stopped:
        break;
    }
    return Outcome::Stopped;
}

} // namespace

CConWatchDog::~CConWatchDog() {
    if (m_bRunning) {
        Stop();
    }
}

bool CConWatchDog::RegisterHBS(std::string_view name, std::string_view host, std::int32_t port,
                               std::int32_t interval, CHBHandler* handler, std::int32_t index) {
    if (m_nCount == kMaxServers || handler == nullptr || interval < 1) {
        return false;
    }
    HBSRecord& record = m_servers[m_nCount];
    record.name.AssignCut(name);
    record.host.AssignCut(host);
    record.port = port;
    record.interval = interval;
    record.handler = handler;
    record.index = index;
    ++m_nCount;
    return true;
}

bool CConWatchDog::Start() {
    bool started = true;
    for (std::size_t i = 0; i < m_nCount; ++i) {
        HBSRecord& record = m_servers[i];
        if (record.thread.joinable()) {
            continue;
        }
        try {
            record.thread =
                std::jthread([this, &record](const std::stop_token& stop) { Probe(stop, record); });
        } catch (const std::system_error&) {
            started = false;
        }
    }
    m_bRunning = true;
    return started;
}

bool CConWatchDog::Stop() {
    // Every probe is asked first, so they all wind down at the same time.
    for (std::size_t i = 0; i < m_nCount; ++i) {
        m_servers[i].thread.request_stop();
    }
    for (std::size_t i = 0; i < m_nCount; ++i) {
        HBSRecord& record = m_servers[i];
        if (record.thread.joinable()) {
            record.thread.join();
        }
        record.socket.Close();
    }
    m_bRunning = false;
    return true;
}

void CConWatchDog::Probe(const std::stop_token& stop, HBSRecord& record) {
    const platform::CStopWaker waker(stop);
    std::optional<platform::Ipv4Endpoint> destination;
    for (;;) {
        switch (RunCycle(record, m_lookup, destination, waker)) {
        case Outcome::Reply:
            record.handler->OnHBReply(record.index);
            break;
        case Outcome::NoReply:
            record.handler->OnHBNoReply(record.index);
            break;
        case Outcome::NoCallback:
            break;
        case Outcome::Stopped:
            return;
        }
    }
}

} // namespace heartbeat
