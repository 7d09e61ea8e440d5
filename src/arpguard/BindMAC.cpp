#include "arpguard/BindMAC.h"

#include <linux/neighbour.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>
#include <utility>

namespace arpguard {

CBindMAC::CBindMAC(platform::CNetworkTables& tables, CLocalIPMACCache localCache,
                   CRemoteIPMACCache remoteCache, GuardPeriods periods)
    : m_tables(tables), m_localCache(std::move(localCache)), m_remoteCache(std::move(remoteCache)),
      m_periods(periods) {}

CBindMAC::~CBindMAC() = default;

void CBindMAC::SetRoundObserver(std::function<void(const BindRound&)> observer) {
    m_observer = std::move(observer);
}

int CBindMAC::Start() {
    if (m_hThread.joinable()) {
        return -1;
    }
    try {
        m_hThread = std::jthread([this](const std::stop_token& stop) { Run(stop); });
    } catch (const std::system_error&) {
        return -1;
    }
    return 0;
}

int CBindMAC::Stop() {
    if (m_hThread.joinable()) {
        m_hThread.request_stop();
        m_hThread.join();
    }
    Unbind();
    return 0;
}

void CBindMAC::Unbind() {
    std::string error;
    if (m_bBound && m_tables.DeleteNeighbour(m_row, error)) {
        m_bBound = false;
    }
}

bool CBindMAC::IsBound() const {
    return m_bBound;
}

int CBindMAC::Bind() {
    return Attempt(std::stop_token());
}

int CBindMAC::End(BindOutcome outcome, int status) {
    m_lastRound.outcome = outcome;
    return status;
}

int CBindMAC::Attempt(const std::stop_token& stop) {
    m_bBound = false;
    m_lastRound = BindRound{};
    if (const int status = FindDefaultGateway(); status != kBindDone) {
        return status;
    }
    if (m_lastRound.gateway == 0) {
        return End(BindOutcome::NoDefaultRoute, kBindDone);
    }
    if (IsPrivateAddress(m_lastRound.gateway)) {
        return End(BindOutcome::PrivateGateway, kBindDone);
    }
    platform::NeighbourEntry live;
    if (const int status = ResolveMAC(live); status != kBindDone) {
        return status;
    }
    bool trusted = false;
    if (const int status = CheckRecords(stop, live, trusted); !trusted) {
        return status;
    }
    if (stop.stop_requested()) {
        return End(BindOutcome::Stopped, kBindDone);
    }
    return SetStaticEntry(live);
}

int CBindMAC::CheckRecords(const std::stop_token& stop, const platform::NeighbourEntry& live,
                           bool& trusted) {
    m_localCache.Load();
    trusted = Vouches(m_localCache, live);
    if (trusted) {
        return kBindDone;
    }
    if (m_remoteCache.Load(stop) != 0) {
        if (stop.stop_requested()) {
            return End(BindOutcome::Stopped, kBindDone);
        }
        m_lastRound.error = m_remoteCache.LastError();
        return End(BindOutcome::ListUnobtainable, kBindListFailed);
    }
    // The server's list refreshes the local record whether or not it agrees.
    if (Holds(m_remoteCache, live.address) &&
        (m_remoteCache.CopyTo(m_localCache) != 0 || m_localCache.Save() != 0)) {
        m_lastRound.error = "the IP-MAC cache could not be saved";
        return End(BindOutcome::CacheNotSaved, kBindListFailed);
    }
    if (!Holds(m_localCache, live.address)) {
        return End(BindOutcome::NoRecord, kBindDone);
    }
    trusted = Vouches(m_localCache, live);
    return trusted ? kBindDone : End(BindOutcome::RecordsDisagree, kBindDone);
}

int CBindMAC::FindDefaultGateway() {
    std::vector<platform::RouteEntry> routes;
    if (!m_tables.ReadRoutes(routes, m_lastRound.error)) {
        return End(BindOutcome::RoutesUnreadable, kBindRoutesUnreadable);
    }
    // The last default route of the table wins; one without a next hop leads to no gateway.
    for (const platform::RouteEntry& route : routes) {
        if (route.destination == 0 && route.prefixLength == 0 && route.gateway != 0) {
            m_lastRound.gateway = route.gateway;
            m_lastRound.interfaceIndex = route.interfaceIndex;
        }
    }
    return kBindDone;
}

bool CBindMAC::IsPrivateAddress(std::uint32_t address) {
    std::array<std::uint8_t, 4> octets{};
    std::memcpy(octets.data(), &address, octets.size());
    return octets[0] == 10 || (octets[0] == 172 && octets[1] >= 16 && octets[1] <= 31) ||
           (octets[0] == 192 && octets[1] == 168);
}

int CBindMAC::ResolveMAC(platform::NeighbourEntry& live) {
    if (!m_tables.ResolveNeighbour(m_lastRound.gateway, m_lastRound.interfaceIndex, live,
                                   m_lastRound.error)) {
        return End(BindOutcome::ResolveFailed, kBindResolveFailed);
    }
    return kBindDone;
}

bool CBindMAC::Holds(const CIPMACCache& cache, std::uint32_t address) {
    std::array<std::uint8_t, kMaxMACLength> mac{};
    std::uint32_t length = 0;
    return cache.Lookup(address, mac, length) == 0;
}

bool CBindMAC::Vouches(const CIPMACCache& cache, const platform::NeighbourEntry& live) {
    std::array<std::uint8_t, kMaxMACLength> mac{};
    std::uint32_t length = 0;
    return cache.Lookup(live.address, mac, length) == 0 && length == live.hardwareLength &&
           std::equal(mac.begin(), mac.begin() + length, live.hardwareAddress.begin());
}

int CBindMAC::SetStaticEntry(const platform::NeighbourEntry& live) {
    platform::NeighbourEntry row = live;
    row.state = NUD_PERMANENT;
    m_row = row;
    // Written over the learned entry in one step, so that no answer slips in between.
    if (!m_tables.AddPermanentNeighbour(m_row, m_lastRound.error)) {
        return End(BindOutcome::EntryNotWritten, kBindDone);
    }
    m_bBound = true;
    return End(BindOutcome::Bound, kBindDone);
}

bool CBindMAC::CheckBinding(bool& intact) {
    std::vector<platform::NeighbourEntry> neighbours;
    std::string error;
    if (!m_tables.ReadNeighbours(neighbours, error)) {
        return false;
    }
    intact = std::any_of(neighbours.begin(), neighbours.end(), [this](const auto& entry) {
        return entry.interfaceIndex == m_row.interfaceIndex && entry.address == m_row.address &&
               platform::NeighbourType(entry.state) == platform::NeighbourType(m_row.state) &&
               entry.hardwareLength == m_row.hardwareLength &&
               std::equal(entry.hardwareAddress.begin(),
                          entry.hardwareAddress.begin() + entry.hardwareLength,
                          m_row.hardwareAddress.begin());
    });
    return true;
}

void CBindMAC::Run(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
        if (IsBound()) {
            bool intact = false;
            // An unreadable table is read again after a pause, not at once.
            if (!CheckBinding(intact)) {
                if (!Pause(stop, m_periods.unreadable)) {
                    return;
                }
                continue;
            }
            if (!intact) {
                Attempt(stop);
            }
        } else {
            Attempt(stop);
        }
        if (stop.stop_requested()) {
            return;
        }
        if (m_observer) {
            m_observer(m_lastRound);
        }
        if (!Pause(stop, IsBound() ? m_periods.bound : m_periods.unbound)) {
            return;
        }
    }
}

bool CBindMAC::Pause(const std::stop_token& stop, std::chrono::milliseconds period) {
    std::unique_lock lock(m_pauseMutex);
    m_pause.wait_for(lock, stop, period, [] { return false; });
    return !stop.stop_requested();
}

} // namespace arpguard
