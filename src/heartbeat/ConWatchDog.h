#pragma once

#include "heartbeat/HBHandler.h"
#include "heartbeat/HBSRecord.h"
#include "platform/HostLookup.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string_view>

namespace heartbeat {

// Probes up to ten heartbeat servers, each on a thread of its own. A probe cycle sends the
// one-byte datagram 'r', pauses for the interval, then waits up to the interval for an
// answer, and ends in exactly one callback: OnHBReply when one datagram of exactly the byte
// 'A' came (from any sender), OnHBNoReply otherwise; a cycle whose wait fails, or that has
// no socket, makes none. At most one datagram is taken per cycle, so a late answer counts
// for a later cycle. A host that cannot be resolved is looked up again each cycle; until it
// resolves, nothing is sent and each cycle ends in OnHBNoReply.
//
// RegisterHBS, Start and Stop are called from one thread, never from a callback.
class CConWatchDog {
public:
    static constexpr std::size_t kMaxServers = 10;

    // Host names are looked up through lookup, which must outlive the watchdog.
    explicit CConWatchDog(platform::CHostLookup& lookup = platform::SystemHostLookup())
        : m_lookup(lookup) {}
    // Stops the probes when they run.
    virtual ~CConWatchDog();
    CConWatchDog(const CConWatchDog&) = delete;
    CConWatchDog& operator=(const CConWatchDog&) = delete;

    // Adds a server to the table: name is cut to 31 bytes and host to 63. Answers false and
    // changes nothing when the table holds ten servers already, or when handler is null or
    // interval below 1 ms. The probe starts with the next Start.
    bool RegisterHBS(std::string_view name, std::string_view host, std::int32_t port,
                     std::int32_t interval, CHBHandler* handler, std::int32_t index);

    // Starts a probe for every registered server that has none running, in table order.
    // False when a thread could not be started; the others are started all the same.
    bool Start();

    // Ends every probe promptly, wherever it is in its cycle, and closes the sockets. Once it
    // has returned no callback runs. The servers stay registered for a later Start. Answers
    // true: a probe always ends.
    bool Stop();

    bool IsRunning() const { return m_bRunning; }
    std::size_t Count() const { return m_nCount; }
    const HBSRecord& Server(std::size_t position) const { return m_servers.at(position); }

private:
    void Probe(const std::stop_token& stop, HBSRecord& record);

    platform::CHostLookup& m_lookup;
    std::array<HBSRecord, kMaxServers> m_servers;
    std::size_t m_nCount = 0;
    bool m_bRunning = false;
};

} // namespace heartbeat
