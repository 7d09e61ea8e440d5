#pragma once

#include "arpguard/LocalIPMACCache.h"
#include "arpguard/RemoteIPMACCache.h"
#include "platform/NetworkTables.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace arpguard {

// The status values of Bind.
inline constexpr int kBindDone = 0;                // bound, or nothing to bind
inline constexpr int kBindRoutesUnreadable = 4097; // the routing table could not be read
inline constexpr int kBindResolveFailed = 4100;    // the gateway's address request failed
inline constexpr int kBindListFailed = -1;         // no usable list, or the merge not saved

// How one attempt, or one round of the worker, ended.
enum class BindOutcome {
    Bound,            // the gateway's entry holds the trusted address, pinned
    PrivateGateway,   // nothing is bound behind a gateway with a private address
    NoDefaultRoute,   // no route leads to a default gateway
    NoRecord,         // no cache has a pair for the gateway
    RecordsDisagree,  // the trusted address is not the one that answers
    EntryNotWritten,  // the permanent entry could not be written
    RoutesUnreadable, // status kBindRoutesUnreadable
    ResolveFailed,    // status kBindResolveFailed
    ListUnobtainable, // status kBindListFailed: the server's list is missing or unusable
    CacheNotSaved,    // status kBindListFailed: the merged cache could not be saved
    Stopped,          // Stop came before the attempt ended; nothing was written
};

// What one attempt found.
struct BindRound {
    BindOutcome outcome = BindOutcome::NoDefaultRoute;
    std::uint32_t gateway = 0; // network byte order; 0 without a default route
    int interfaceIndex = 0;    // the default route's interface
    std::string error;         // why a step failed, in English
};

// The worker's pauses; tests shorten them.
struct GuardPeriods {
    std::chrono::milliseconds bound{10000};     // between checks of a pinned entry
    std::chrono::milliseconds unbound{60000};   // between attempts while nothing is pinned
    std::chrono::milliseconds unreadable{1000}; // before reading an unreadable table again
};

// The ARP binding guard: finds the default gateway, asks the network for its hardware
// address, and pins that address as a permanent neighbour entry when, and only when, the
// trusted IP-MAC pairs (the local cache, refreshed from the server's list when it cannot
// vouch for the gateway) agree with it. A worker thread repeats this and watches the entry.
class CBindMAC {
public:
    // tables must outlive the guard.
    CBindMAC(platform::CNetworkTables& tables, CLocalIPMACCache localCache,
             CRemoteIPMACCache remoteCache, GuardPeriods periods = {});
    // Ends the worker as Stop does, but leaves the entry in place.
    virtual ~CBindMAC();
    CBindMAC(const CBindMAC&) = delete;
    CBindMAC& operator=(const CBindMAC&) = delete;

    // Starts the worker: a round at once, then, while the entry is pinned, a check of it
    // every periods.bound (a new attempt when it is gone or changed), and while it is not
    // another attempt every periods.unbound. After each round the observer, if any, hears
    // how it ended, on the worker's thread. Answers 0, or -1 when the worker is already
    // running or cannot be made.
    int Start();

    // Ends the worker, waiting for the step it is in (each is bounded), and then Unbind:
    // once it returns the worker writes nothing more. Answers 0.
    int Stop();

    // Deletes the pinned entry when there is one; IsBound then reads false.
    void Unbind();

    // Whether the entry is pinned. Safe to call from any thread.
    virtual bool IsBound() const;

    // One attempt, on the calling thread, with the worker not running: answers kBindDone
    // (bound or nothing to bind), kBindRoutesUnreadable, kBindResolveFailed or
    // kBindListFailed. LastRound tells how it ended.
    virtual int Bind();

    // How the last attempt ended; read it on the thread that made it.
    const BindRound& LastRound() const { return m_lastRound; }

    // Set before Start.
    void SetRoundObserver(std::function<void(const BindRound&)> observer);

private:
    int Attempt(const std::stop_token& stop);
    int End(BindOutcome outcome, int status);
    // Whether the records vouch for live: the local cache, or else the server's list merged
    // into it. When they do not, answers how the attempt ends.
    int CheckRecords(const std::stop_token& stop, const platform::NeighbourEntry& live,
                     bool& trusted);
    int FindDefaultGateway();
    static bool IsPrivateAddress(std::uint32_t address);
    int ResolveMAC(platform::NeighbourEntry& live);
    static bool Holds(const CIPMACCache& cache, std::uint32_t address);
    // Whether cache vouches for live: it holds the same hardware address for the gateway.
    static bool Vouches(const CIPMACCache& cache, const platform::NeighbourEntry& live);
    int SetStaticEntry(const platform::NeighbourEntry& live);
    // False when the neighbour table cannot be read.
    bool CheckBinding(bool& intact);
    void Run(const std::stop_token& stop);
    // False when the guard is stopped meanwhile.
    bool Pause(const std::stop_token& stop, std::chrono::milliseconds period);

    platform::CNetworkTables& m_tables;
    CLocalIPMACCache m_localCache;
    CRemoteIPMACCache m_remoteCache;
    GuardPeriods m_periods;
    platform::NeighbourEntry m_row; // the entry last pinned
    std::atomic<bool> m_bBound{false};
    BindRound m_lastRound;
    std::function<void(const BindRound&)> m_observer;
    std::mutex m_pauseMutex;
    std::condition_variable_any m_pause;
    std::jthread m_hThread; // last: ended before the members it uses go
};

} // namespace arpguard
