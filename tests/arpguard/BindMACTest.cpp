#include "arpguard/BindMAC.h"

#include "platform/FakeNetworkTables.h"
#include "platform/FixedMachineIdentity.h"
#include "tests/arpguard/IPMACTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using arpguard::BindOutcome;
using arpguard::CBindMAC;
using arpguardtest::Eventually;
using arpguardtest::Ip;
using Operation = platform::CFakeNetworkTables::Operation;

const platform::CFixedMachineIdentity kMachine("3d1219c7c4c5404aaa1f6d2a48adfda4");
const std::vector<std::uint8_t> kGatewayMac{0x02, 0x00, 0x5e, 0x00, 0x53, 0x01};
constexpr const char* kGatewayMacText = "02005e005301";
constexpr int kInterface = 7;
constexpr std::chrono::hours kNever{1};

platform::RouteEntry DefaultRoute(const char* gateway, int interfaceIndex = kInterface) {
    platform::RouteEntry route;
    route.gateway = Ip(gateway);
    route.interfaceIndex = interfaceIndex;
    route.type = RTN_UNICAST;
    return route;
}

platform::RouteEntry SubnetRoute(const char* destination, std::uint8_t prefixLength) {
    platform::RouteEntry route;
    route.destination = Ip(destination);
    route.prefixLength = prefixLength;
    route.interfaceIndex = kInterface;
    route.type = RTN_UNICAST;
    return route;
}

// A loopback port that nothing listens on: the server's list cannot be had there.
std::uint16_t ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(fd);
    return ntohs(address.sin_port);
}

// A guard over fake tables with a gateway at 203.0.113.1 that answers, its local cache in
// a folder of the test's own, and a server list that cannot be had.
class BindMACTest : public testing::Test {
protected:
    BindMACTest() {
        m_tables.SetRoutes({SubnetRoute("203.0.113.0", 24), DefaultRoute("203.0.113.1")});
        m_tables.SetHost(Ip("203.0.113.1"), kGatewayMac);
    }

    CBindMAC MakeGuard(arpguard::GuardPeriods periods = {}) {
        return MakeGuard(ClosedPort(), periods);
    }
    CBindMAC MakeGuard(std::uint16_t listPort, arpguard::GuardPeriods periods = {}) {
        return CBindMAC(m_tables, arpguard::CLocalIPMACCache(m_folder.Path(), kMachine),
                        arpguard::CRemoteIPMACCache("127.0.0.1", listPort), periods);
    }

    std::string LocalListing() const {
        arpguard::CLocalIPMACCache cache(m_folder.Path(), kMachine);
        EXPECT_EQ(cache.Load(), 0);
        return arpguardtest::Listing(cache);
    }

    void WriteLocalRecord(const char* ipText, const char* macText) {
        arpguard::CLocalIPMACCache cache(m_folder.Path(), kMachine);
        ASSERT_EQ(cache.AddText(ipText, macText), 0);
        ASSERT_EQ(cache.Save(), 0);
    }

    // The fake table's entry for address, if it holds a permanent one.
    std::optional<platform::NeighbourEntry> Pinned(const char* address) const {
        for (const platform::NeighbourEntry& entry : m_tables.Neighbours()) {
            if (entry.address == Ip(address) && entry.state == NUD_PERMANENT) {
                return entry;
            }
        }
        return std::nullopt;
    }

    testsupport::CTempFolder m_folder;
    platform::CFakeNetworkTables m_tables;
};

TEST_F(BindMACTest, PinsTheLiveAddressWhenTheLocalRecordAgreesWithoutDownloading) {
    WriteLocalRecord("cb007101", kGatewayMacText);
    const std::string before = testsupport::ReadBytes(m_folder / "imcache");
    CBindMAC guard = MakeGuard();
    EXPECT_EQ(guard.Bind(), arpguard::kBindDone);
    EXPECT_EQ(guard.LastRound().outcome, BindOutcome::Bound);
    EXPECT_EQ(guard.LastRound().gateway, Ip("203.0.113.1"));
    EXPECT_EQ(guard.LastRound().interfaceIndex, kInterface);
    EXPECT_TRUE(guard.IsBound());
    const auto pinned = Pinned("203.0.113.1");
    ASSERT_TRUE(pinned);
    EXPECT_EQ(pinned->interfaceIndex, kInterface);
    EXPECT_EQ(std::vector<std::uint8_t>(pinned->hardwareAddress.begin(),
                                        pinned->hardwareAddress.begin() + pinned->hardwareLength),
              kGatewayMac);
    EXPECT_EQ(testsupport::ReadBytes(m_folder / "imcache"), before);
}

struct NothingToBindCase {
    const char* name;
    std::vector<platform::RouteEntry> routes;
    BindOutcome outcome;
};

class NothingToBind : public BindMACTest, public testing::WithParamInterface<NothingToBindCase> {};

TEST_P(NothingToBind, AsksNothingAndWritesNothing) {
    m_tables.SetRoutes(GetParam().routes);
    CBindMAC guard = MakeGuard();
    EXPECT_EQ(guard.Bind(), arpguard::kBindDone);
    EXPECT_EQ(guard.LastRound().outcome, GetParam().outcome);
    EXPECT_FALSE(guard.IsBound());
    EXPECT_EQ(m_tables.Calls(Operation::Resolve), 0);
    EXPECT_EQ(m_tables.Calls(Operation::Add), 0);
    EXPECT_EQ(m_folder.Listing(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NothingToBind,
    testing::Values(
        NothingToBindCase{"Private192", {DefaultRoute("192.168.1.1")}, BindOutcome::PrivateGateway},
        NothingToBindCase{"Private10", {DefaultRoute("10.0.0.1")}, BindOutcome::PrivateGateway},
        NothingToBindCase{"Private172", {DefaultRoute("172.20.0.1")}, BindOutcome::PrivateGateway},
        NothingToBindCase{
            "Private172Last", {DefaultRoute("172.31.255.1")}, BindOutcome::PrivateGateway},
        NothingToBindCase{"LaterPrivateRouteWins",
                          {DefaultRoute("203.0.113.1"), DefaultRoute("192.168.1.1")},
                          BindOutcome::PrivateGateway},
        NothingToBindCase{"NoRoutes", {}, BindOutcome::NoDefaultRoute},
        NothingToBindCase{"OnlySubnets",
                          {SubnetRoute("203.0.113.0", 24), SubnetRoute("0.0.0.0", 1)},
                          BindOutcome::NoDefaultRoute},
        NothingToBindCase{
            "DefaultWithoutNextHop", {DefaultRoute("0.0.0.0")}, BindOutcome::NoDefaultRoute}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BindMACTest, Address172Beyond31IsNotPrivate) {
    m_tables.SetRoutes({DefaultRoute("172.32.0.1")});
    CBindMAC guard = MakeGuard();
    EXPECT_EQ(guard.Bind(), arpguard::kBindResolveFailed);
    EXPECT_EQ(guard.LastRound().outcome, BindOutcome::ResolveFailed);
    EXPECT_EQ(m_tables.Calls(Operation::Resolve), 1);
}

TEST_F(BindMACTest, GuardsTheLaterOfTwoDefaultRoutes) {
    m_tables.SetRoutes({DefaultRoute("198.51.100.1", 3), DefaultRoute("203.0.113.1", kInterface)});
    m_tables.SetHost(Ip("198.51.100.1"), {0x02, 0, 0, 0, 0, 0x99});
    WriteLocalRecord("cb007101", kGatewayMacText);
    CBindMAC guard = MakeGuard();
    EXPECT_EQ(guard.Bind(), arpguard::kBindDone);
    EXPECT_EQ(guard.LastRound().gateway, Ip("203.0.113.1"));
    EXPECT_TRUE(Pinned("203.0.113.1"));
    EXPECT_FALSE(Pinned("198.51.100.1"));
}

struct FailedStepCase {
    const char* name;
    Operation failing;
    int status;
    BindOutcome outcome;
};

class FailedStep : public BindMACTest, public testing::WithParamInterface<FailedStepCase> {};

TEST_P(FailedStep, EndsTheAttemptUnbound) {
    WriteLocalRecord("cb007101", kGatewayMacText);
    m_tables.SetFailing(GetParam().failing, true);
    CBindMAC guard = MakeGuard();
    EXPECT_EQ(guard.Bind(), GetParam().status);
    EXPECT_EQ(guard.LastRound().outcome, GetParam().outcome);
    EXPECT_NE(guard.LastRound().error, "");
    EXPECT_FALSE(guard.IsBound());
    EXPECT_FALSE(Pinned("203.0.113.1"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedStep,
    testing::Values(FailedStepCase{"Routes", Operation::ReadRoutes, arpguard::kBindRoutesUnreadable,
                                   BindOutcome::RoutesUnreadable},
                    FailedStepCase{"Resolve", Operation::Resolve, arpguard::kBindResolveFailed,
                                   BindOutcome::ResolveFailed},
                    FailedStepCase{"Write", Operation::Add, arpguard::kBindDone,
                                   BindOutcome::EntryNotWritten}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BindMACTest, ADisagreeingRecordWithoutAListBindsNothingAndKeepsTheFile) {
    WriteLocalRecord("cb007101", "02005e005399");
    const std::string before = testsupport::ReadBytes(m_folder / "imcache");
    CBindMAC guard = MakeGuard();
    EXPECT_EQ(guard.Bind(), arpguard::kBindListFailed);
    EXPECT_EQ(guard.LastRound().outcome, BindOutcome::ListUnobtainable);
    EXPECT_NE(guard.LastRound().error.find("could not be downloaded"), std::string::npos)
        << guard.LastRound().error;
    EXPECT_FALSE(guard.IsBound());
    EXPECT_EQ(testsupport::ReadBytes(m_folder / "imcache"), before);
}

// --- With the server's list ------------------------------------------------------------------

struct ListCase {
    const char* name;
    const char* localMac; // the local record for the gateway; nothing when null
    std::string list;
    int status;
    BindOutcome outcome;
    const char* localAfter; // the local cache afterwards; null when the file stays as it was
};

class WithTheList : public BindMACTest, public testing::WithParamInterface<ListCase> {};

TEST_P(WithTheList, MergesTheListAndBindsOnlyWhatItVouchesFor) {
    const arpguardtest::CListSite site;
    ASSERT_TRUE(site.Ok());
    site.SetList(GetParam().list);
    if (GetParam().localMac != nullptr) {
        WriteLocalRecord("cb007101", GetParam().localMac);
    }
    const std::string before = testsupport::ReadFile(m_folder / "imcache");
    CBindMAC guard = MakeGuard(site.Port());
    EXPECT_EQ(guard.Bind(), GetParam().status);
    EXPECT_EQ(guard.LastRound().outcome, GetParam().outcome) << guard.LastRound().error;
    EXPECT_EQ(guard.IsBound(), GetParam().outcome == BindOutcome::Bound);
    EXPECT_EQ(Pinned("203.0.113.1").has_value(), GetParam().outcome == BindOutcome::Bound);
    if (GetParam().localAfter == nullptr) {
        EXPECT_EQ(testsupport::ReadFile(m_folder / "imcache"), before);
    } else {
        EXPECT_EQ(LocalListing(), GetParam().localAfter);
    }
}

const std::pair<std::string, std::string> kOtherPair{"0a010203", "001a2b3c4d5e"};

INSTANTIATE_TEST_SUITE_P(
    Cases, WithTheList,
    testing::Values(
        ListCase{"NoRecordAndTheListAgrees", nullptr,
                 arpguardtest::ListDocument({kOtherPair, {"cb007101", kGatewayMacText}}),
                 arpguard::kBindDone, BindOutcome::Bound,
                 "0a010203=001a2b3c4d5e c0000201=0000005e0001 cb007101=02005e005301"},
        ListCase{"TheRecordDisagreesAndTheListAgrees", "02005e005399",
                 arpguardtest::ListDocument({{"cb007101", kGatewayMacText}}), arpguard::kBindDone,
                 BindOutcome::Bound, "c0000201=0000005e0001 cb007101=02005e005301"},
        ListCase{"TheListDisagrees", nullptr,
                 arpguardtest::ListDocument({kOtherPair, {"cb007101", "02005e005377"}}),
                 arpguard::kBindDone, BindOutcome::RecordsDisagree,
                 "0a010203=001a2b3c4d5e c0000201=0000005e0001 cb007101=02005e005377"},
        ListCase{"TheListDoesNotKnowTheGateway", nullptr, arpguardtest::ListDocument({kOtherPair}),
                 arpguard::kBindDone, BindOutcome::NoRecord, nullptr},
        ListCase{"TheListLacksItsSentinel", "02005e005399",
                 arpguardtest::ListDocument({{"cb007101", kGatewayMacText}}, false),
                 arpguard::kBindListFailed, BindOutcome::ListUnobtainable, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BindMACTest, ADisagreeingListIsAskedAgainAtTheNextAttempt) {
    const arpguardtest::CListSite site;
    ASSERT_TRUE(site.Ok());
    site.SetList(arpguardtest::ListDocument({{"cb007101", "02005e005377"}}));
    CBindMAC guard = MakeGuard(site.Port());
    ASSERT_EQ(guard.Bind(), arpguard::kBindDone);
    ASSERT_EQ(guard.LastRound().outcome, BindOutcome::RecordsDisagree);
    site.SetList(arpguardtest::ListDocument({{"cb007101", kGatewayMacText}}));
    EXPECT_EQ(guard.Bind(), arpguard::kBindDone);
    EXPECT_EQ(guard.LastRound().outcome, BindOutcome::Bound);
}

TEST_F(BindMACTest, UnbindRemovesThePinnedEntryAndClearsTheFlag) {
    WriteLocalRecord("cb007101", kGatewayMacText);
    CBindMAC guard = MakeGuard();
    ASSERT_EQ(guard.Bind(), arpguard::kBindDone);
    ASSERT_TRUE(Pinned("203.0.113.1"));
    guard.Unbind();
    EXPECT_FALSE(guard.IsBound());
    EXPECT_TRUE(m_tables.Neighbours().empty());
}

// --- The worker ------------------------------------------------------------------------------

// Collects the rounds that the worker reports.
class CRounds {
public:
    std::function<void(const arpguard::BindRound&)> Observer() {
        return [this](const arpguard::BindRound& round) {
            const std::lock_guard lock(m_mutex);
            m_outcomes.push_back(round.outcome);
        };
    }
    std::vector<BindOutcome> Outcomes() const {
        const std::lock_guard lock(m_mutex);
        return m_outcomes;
    }
    std::size_t Count() const { return Outcomes().size(); }

private:
    mutable std::mutex m_mutex;
    std::vector<BindOutcome> m_outcomes;
};

TEST_F(BindMACTest, TheWorkerBindsAtOnceRebindsAMissingEntryAndStopRemovesIt) {
    WriteLocalRecord("cb007101", kGatewayMacText);
    CBindMAC guard = MakeGuard({std::chrono::milliseconds(10), kNever, kNever});
    CRounds rounds;
    guard.SetRoundObserver(rounds.Observer());
    ASSERT_EQ(guard.Start(), 0);
    EXPECT_EQ(guard.Start(), -1);
    ASSERT_TRUE(Eventually([&] { return guard.IsBound() && rounds.Count() >= 2; }));
    EXPECT_EQ(m_tables.Calls(Operation::Add), 1);

    // Someone else deletes the entry: the next check finds it missing and binds again.
    m_tables.RemoveNeighbour(Ip("203.0.113.1"));
    ASSERT_TRUE(
        Eventually([&] { return m_tables.Calls(Operation::Add) == 2 && Pinned("203.0.113.1"); }));

    EXPECT_EQ(guard.Stop(), 0);
    EXPECT_FALSE(guard.IsBound());
    EXPECT_FALSE(Pinned("203.0.113.1"));
    for (const BindOutcome outcome : rounds.Outcomes()) {
        EXPECT_EQ(outcome, BindOutcome::Bound);
    }
}

TEST_F(BindMACTest, TheWorkerTriesAgainWhenAnAnswerChangedTheEntry) {
    WriteLocalRecord("cb007101", kGatewayMacText);
    CBindMAC guard = MakeGuard({std::chrono::milliseconds(10), kNever, kNever});
    CRounds rounds;
    guard.SetRoundObserver(rounds.Observer());
    ASSERT_EQ(guard.Start(), 0);
    ASSERT_TRUE(Eventually([&] { return guard.IsBound(); }));
    // Another host's answer took the place of the pinned entry: that address is not on
    // record, so the new attempt pins nothing and leaves the entry to the kernel.
    platform::NeighbourEntry spoofed = *Pinned("203.0.113.1");
    spoofed.hardwareAddress[5] = 0x66;
    spoofed.state = NUD_REACHABLE;
    m_tables.PutNeighbour(spoofed);
    // The round is reported after the flag falls: wait for the report, not the flag alone.
    ASSERT_TRUE(Eventually([&] {
        const std::vector<BindOutcome> outcomes = rounds.Outcomes();
        return m_tables.Calls(Operation::Resolve) == 2 && !guard.IsBound() && !outcomes.empty() &&
               outcomes.back() == BindOutcome::ListUnobtainable;
    }));
    guard.Stop();
    EXPECT_EQ(m_tables.Calls(Operation::Add), 1);
    EXPECT_EQ(rounds.Outcomes().back(), BindOutcome::ListUnobtainable);
    EXPECT_EQ(m_tables.Neighbours().at(0).hardwareAddress[5], 0x66);
}

TEST_F(BindMACTest, TheWorkerPausesWhileTheNeighbourTableIsUnreadable) {
    WriteLocalRecord("cb007101", kGatewayMacText);
    CBindMAC guard = MakeGuard({std::chrono::milliseconds(1), kNever, kNever});
    m_tables.SetFailing(Operation::ReadNeighbours, true);
    ASSERT_EQ(guard.Start(), 0);
    ASSERT_TRUE(Eventually([&] { return m_tables.Calls(Operation::ReadNeighbours) >= 1; }));
    // Stop comes during the pause before the next read: there was only the one.
    guard.Stop();
    EXPECT_EQ(m_tables.Calls(Operation::ReadNeighbours), 1);
    EXPECT_EQ(m_tables.Calls(Operation::Add), 1);
}

TEST_F(BindMACTest, StopEndsAWorkerThatWaitsToTryAgain) {
    m_tables.SetRoutes({DefaultRoute("192.168.1.1")});
    CBindMAC guard = MakeGuard({kNever, kNever, kNever});
    CRounds rounds;
    guard.SetRoundObserver(rounds.Observer());
    ASSERT_EQ(guard.Start(), 0);
    ASSERT_TRUE(Eventually([&] { return rounds.Count() == 1; }));
    EXPECT_EQ(guard.Stop(), 0);
    EXPECT_EQ(rounds.Outcomes(), std::vector<BindOutcome>{BindOutcome::PrivateGateway});
    EXPECT_EQ(m_tables.Calls(Operation::Delete), 0);
}

} // namespace
