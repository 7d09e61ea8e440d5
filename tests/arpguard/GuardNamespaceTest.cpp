// The guard end to end against the kernel's tables: a client namespace whose default route
// leads through a veth link to a gateway namespace, gatewayd serving the list from there.
#include "arpguard/BindMAC.h"
#include "platform/FixedMachineIdentity.h"
#include "platform/NetworkTables.h"
#include "tests/arpguard/IPMACTestSupport.h"
#include "tests/support/GatewayNetwork.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <string>

namespace {

using arpguard::BindOutcome;
using arpguard::CBindMAC;
using arpguardtest::CListSite;
using arpguardtest::Eventually;
using arpguardtest::ListDocument;
using testsupport::CGatewayNetwork;
using testsupport::GatewayLink;
using testsupport::ReadFile;

const platform::CFixedMachineIdentity kMachine("3d1219c7c4c5404aaa1f6d2a48adfda4");
constexpr const char* kGateway = "198.51.100.1"; // c6336401
constexpr const char* kGatewayIpText = "c6336401";
constexpr const char* kGatewayMac = "02:00:5e:00:53:01";
constexpr const char* kGatewayMacText = "02005e005301";
constexpr std::chrono::hours kNever{1};

class GuardInNamespaces : public testing::Test {
protected:
    void SetUp() override {
        if (std::string reason; !testsupport::CNetworkNamespace::CanCreate(reason)) {
            GTEST_SKIP() << reason;
        }
        m_network.emplace();
        ASSERT_TRUE(m_network->AddLink(kGateway, "198.51.100.2", kGatewayMac, m_link));
        ASSERT_TRUE(m_network->AddDefaultRoute(kGateway, 100));
    }

    // gatewayd in the gateway namespace, serving list at the gateway's address.
    void ServeList(const std::string& list) {
        m_network->Gateway().RunInside([&] { m_site.emplace(kGateway); });
        ASSERT_TRUE(m_site && m_site->Ok());
        m_site->SetList(list);
    }

    // A port of the gateway where no list is served.
    std::uint16_t ListPort() const { return m_site ? m_site->Port() : 9; }

    CBindMAC MakeGuard(platform::CNetworkTables& tables, arpguard::GuardPeriods periods = {}) {
        return CBindMAC(tables, arpguard::CLocalIPMACCache(m_folder.Path(), kMachine),
                        arpguard::CRemoteIPMACCache(kGateway, ListPort()), periods);
    }

    void WriteLocalRecord(const char* ipText, const char* macText) const {
        arpguard::CLocalIPMACCache cache(m_folder.Path(), kMachine);
        ASSERT_EQ(cache.AddText(ipText, macText), 0);
        ASSERT_EQ(cache.Save(), 0);
    }

    std::string LocalListing() const {
        arpguard::CLocalIPMACCache cache(m_folder.Path(), kMachine);
        EXPECT_EQ(cache.Load(), 0);
        return arpguardtest::Listing(cache);
    }

    // One Bind inside the client namespace; answers how it ended.
    arpguard::BindRound BindOnce() {
        arpguard::BindRound round;
        m_network->Client().RunInside([&] {
            platform::CSystemNetworkTables tables;
            CBindMAC guard = MakeGuard(tables);
            guard.Bind();
            round = guard.LastRound();
            EXPECT_EQ(guard.IsBound(), round.outcome == BindOutcome::Bound);
        });
        return round;
    }

    std::string Pinned(const GatewayLink& link) const {
        return link.gatewayAddress + " dev " + link.clientInterface + " lladdr " + link.gatewayMac +
               " PERMANENT";
    }

    std::optional<CGatewayNetwork> m_network;
    GatewayLink m_link;
    std::optional<CListSite> m_site; // after the network: it goes first
    testsupport::CTempFolder m_folder;
};

TEST_F(GuardInNamespaces, PinsTheGatewayWhenTheLocalRecordAgreesWithoutDownloading) {
    WriteLocalRecord(kGatewayIpText, kGatewayMacText);
    const std::string before = ReadFile(m_folder / "imcache");
    const arpguard::BindRound round = BindOnce();
    EXPECT_EQ(round.outcome, BindOutcome::Bound) << round.error;
    EXPECT_EQ(m_network->ClientNeighbour(kGateway), Pinned(m_link));
    EXPECT_EQ(ReadFile(m_folder / "imcache"), before);
}

TEST_F(GuardInNamespaces, AnEntryPinnedWrongBySomeoneElseIsAskedAfreshAndReplaced) {
    ASSERT_TRUE(m_network->Client().Ip({"neigh", "replace", kGateway, "lladdr", "02:00:5e:00:53:99",
                                        "nud", "permanent", "dev", m_link.clientInterface}));
    WriteLocalRecord(kGatewayIpText, kGatewayMacText);
    const arpguard::BindRound round = BindOnce();
    EXPECT_EQ(round.outcome, BindOutcome::Bound) << round.error;
    EXPECT_EQ(m_network->ClientNeighbour(kGateway), Pinned(m_link));
}

TEST_F(GuardInNamespaces, MergesAnAgreeingListWritesTheCacheAndPins) {
    ServeList(ListDocument({{"0a010203", "001a2b3c4d5e"}, {kGatewayIpText, kGatewayMacText}}));
    const arpguard::BindRound round = BindOnce();
    EXPECT_EQ(round.outcome, BindOutcome::Bound) << round.error;
    EXPECT_EQ(m_network->ClientNeighbour(kGateway), Pinned(m_link));
    EXPECT_EQ(LocalListing(), "0a010203=001a2b3c4d5e c0000201=0000005e0001 c6336401=02005e005301");
}

TEST_F(GuardInNamespaces, ADisagreeingListRewritesTheCacheAndPinsNothing) {
    WriteLocalRecord(kGatewayIpText, "02005e005399");
    ServeList(ListDocument({{kGatewayIpText, "02005e005377"}}));
    const arpguard::BindRound round = BindOnce();
    EXPECT_EQ(round.outcome, BindOutcome::RecordsDisagree) << round.error;
    EXPECT_EQ(LocalListing(), "c0000201=0000005e0001 c6336401=02005e005377");
    EXPECT_EQ(m_network->ClientNeighbour(kGateway).find("PERMANENT"), std::string::npos);
}

TEST_F(GuardInNamespaces, NoUsableListPinsNothingAndKeepsTheCache) {
    WriteLocalRecord(kGatewayIpText, "02005e005399");
    const std::string before = ReadFile(m_folder / "imcache");
    EXPECT_EQ(BindOnce().outcome, BindOutcome::ListUnobtainable);
    ServeList(ListDocument({{kGatewayIpText, kGatewayMacText}}, false));
    EXPECT_EQ(BindOnce().outcome, BindOutcome::ListUnobtainable);
    EXPECT_EQ(ReadFile(m_folder / "imcache"), before);
    EXPECT_EQ(m_network->ClientNeighbour(kGateway).find("PERMANENT"), std::string::npos);
}

TEST_F(GuardInNamespaces, GuardsTheLaterOfTwoDefaultRoutes) {
    GatewayLink second;
    ASSERT_TRUE(m_network->AddLink("203.0.113.1", "203.0.113.2", "02:00:5e:00:53:02", second));
    ASSERT_TRUE(m_network->AddDefaultRoute("203.0.113.1", 200));
    WriteLocalRecord("cb007101", "02005e005302");
    const arpguard::BindRound round = BindOnce();
    EXPECT_EQ(round.outcome, BindOutcome::Bound) << round.error;
    EXPECT_EQ(arpguard::DottedIP(round.gateway), "203.0.113.1");
    EXPECT_EQ(m_network->ClientNeighbour("203.0.113.1"), Pinned(second));
    EXPECT_EQ(m_network->ClientNeighbour(kGateway), "");
}

TEST_F(GuardInNamespaces, APrivateGatewayIsNeitherAskedNorLookedUp) {
    GatewayLink home;
    ASSERT_TRUE(m_network->AddLink("192.168.77.1", "192.168.77.2", "02:00:5e:00:53:03", home));
    ASSERT_TRUE(m_network->Client().Ip({"route", "replace", "default", "via", "192.168.77.1"}));
    ASSERT_TRUE(m_network->Client().Ip({"route", "del", "default", "via", kGateway}));
    EXPECT_EQ(BindOnce().outcome, BindOutcome::PrivateGateway);
    EXPECT_EQ(m_network->ClientNeighbour("192.168.77.1"), "");
    EXPECT_EQ(m_folder.Listing(), "");
}

TEST_F(GuardInNamespaces, TheWorkerPinsAgainAfterADeletionAndStopRemovesTheEntry) {
    WriteLocalRecord(kGatewayIpText, kGatewayMacText);
    m_network->Client().RunInside([&] {
        platform::CSystemNetworkTables tables;
        CBindMAC guard = MakeGuard(tables, {std::chrono::milliseconds(20), kNever, kNever});
        ASSERT_EQ(guard.Start(), 0);
        ASSERT_TRUE(Eventually([&] { return guard.IsBound(); }));
        EXPECT_EQ(m_network->ClientNeighbour(kGateway), Pinned(m_link));

        ASSERT_TRUE(
            m_network->Client().Ip({"neigh", "del", kGateway, "dev", m_link.clientInterface}));
        ASSERT_TRUE(Eventually([&] {
            return guard.IsBound() && m_network->ClientNeighbour(kGateway) == Pinned(m_link);
        }));

        EXPECT_EQ(guard.Stop(), 0);
        EXPECT_FALSE(guard.IsBound());
        EXPECT_EQ(m_network->ClientNeighbour(kGateway), "");
    });
}

// --- vornctl guard -------------------------------------------------------------------------

class VornctlGuard : public GuardInNamespaces {
protected:
    void SetUp() override {
        GuardInNamespaces::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        ServeList(ListDocument({{kGatewayIpText, kGatewayMacText}}));
        m_folder.Write("config.xml", std::string("<VORNClientConfig><Style ConPrompt=\"true\" "
                                                 "AutoLogon=\"false\"/><Log/><Server Host=\"") +
                                         kGateway + "\" HttpPort=\"" + std::to_string(ListPort()) +
                                         "\"/></VORNClientConfig>");
        std::filesystem::create_directory(m_folder / "scratch");
    }

    std::vector<std::string> Arguments(bool once) const {
        std::vector<std::string> arguments = {"--workdir", m_folder.Path().string(), "guard"};
        if (once) {
            arguments.emplace_back("--once");
        }
        return arguments;
    }

    // vornctl guard --once in the client namespace.
    testsupport::ProgramRun GuardOnce() const {
        testsupport::ProgramRun run;
        m_network->Client().RunInside([&] {
            run = testsupport::RunProgram(VORNCTL_PATH, Arguments(true), "", m_folder / "scratch");
        });
        return run;
    }
};

TEST_F(VornctlGuard, OncePinsTheGatewayAgainstTheServersList) {
    const testsupport::ProgramRun run = GuardOnce();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "gateway 198.51.100.1 on " + m_link.clientInterface + ": bound\n");
    EXPECT_EQ(m_network->ClientNeighbour(kGateway), Pinned(m_link));
    EXPECT_TRUE(std::filesystem::exists(m_folder / "imcache"));
}

TEST_F(VornctlGuard, OnceTellsWhyNothingWasPinned) {
    m_site->SetList(ListDocument({{kGatewayIpText, "02005e005377"}}));
    testsupport::ProgramRun run = GuardOnce();
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_EQ(run.out, "gateway 198.51.100.1 on " + m_link.clientInterface +
                           ": not bound: records disagree\n");
    m_site->RemoveList();
    run = GuardOnce();
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(run.out, "gateway 198.51.100.1 on " + m_link.clientInterface +
                           ": not bound: list unobtainable (the list is not an IP-MAC document)\n");
}

TEST_F(VornctlGuard, RunsUntilSigtermAndThenRemovesItsEntry) {
    const testsupport::StandardStreams streams{
        {}, m_folder / "scratch" / "out", m_folder / "scratch" / "err"};
    pid_t pid = -1;
    m_network->Client().RunInside(
        [&] { pid = testsupport::SpawnProgram(VORNCTL_PATH, Arguments(false), streams); });
    ASSERT_GT(pid, 0);
    const bool pinned =
        Eventually([&] { return ReadFile(streams.out).find(": bound") != std::string::npos; });
    EXPECT_EQ(m_network->ClientNeighbour(kGateway), Pinned(m_link));
    kill(pid, SIGTERM);
    const std::optional<int> status = testsupport::WaitForProgram(pid);
    ASSERT_TRUE(pinned) << ReadFile(streams.err);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << ReadFile(streams.err);
    EXPECT_EQ(m_network->ClientNeighbour(kGateway), "");
}

TEST(VornctlGuardWithoutCapability, RefusesToStart) {
    std::vector<std::string> arguments = {"guard", "--once"};
    std::filesystem::path program = VORNCTL_PATH;
    // Root holds the capability: run vornctl without it.
    if (geteuid() == 0) {
        if (access("/usr/bin/setpriv", X_OK) != 0) {
            GTEST_SKIP() << "dropping CAP_NET_ADMIN as root needs setpriv (util-linux)";
        }
        arguments.insert(arguments.begin(), {"--bounding-set", "-net_admin", "--inh-caps",
                                             "-net_admin", VORNCTL_PATH});
        program = "/usr/bin/setpriv";
    }
    const testsupport::CTempFolder folder;
    const testsupport::ProgramRun run =
        testsupport::RunProgram(program, arguments, "", folder.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot change the neighbour table"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

} // namespace
