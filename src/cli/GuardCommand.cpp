#include "cli/GuardCommand.h"

#include "arpguard/BindMAC.h"
#include "cli/CommandContext.h"
#include "platform/NeighbourControl.h"
#include "platform/NetworkTables.h"
#include "platform/StopSignals.h"

#include <CLI/CLI.hpp>

namespace cli {
namespace {

using arpguard::BindOutcome;

constexpr const char* kFooter = R"(Exit status:
  0  the gateway is pinned (with --once), or the guard was stopped by a signal
  1  the process may not change the neighbour table (it needs CAP_NET_ADMIN)
  3  the attempt ended without pinning: private gateway, no default route, no
     record of the gateway, or the records disagree with its answer
  4  a step failed: routing table, address request, list, cache file or entry)";

// Why a round pinned nothing, and whether that is a failed step rather than an answer.
struct Reason {
    const char* text;
    bool failedStep;
};

Reason ReasonOf(BindOutcome outcome) {
    switch (outcome) {
    case BindOutcome::Bound:
    case BindOutcome::Stopped:
        return {"", false};
    case BindOutcome::PrivateGateway:
        return {"private gateway", false};
    case BindOutcome::NoDefaultRoute:
        return {"no default route", false};
    case BindOutcome::NoRecord:
        return {"no record", false};
    case BindOutcome::RecordsDisagree:
        return {"records disagree", false};
    case BindOutcome::EntryNotWritten:
        return {"neighbour entry not written", true};
    case BindOutcome::RoutesUnreadable:
        return {"routing table unreadable", true};
    case BindOutcome::ResolveFailed:
        return {"no answer to the address request", true};
    case BindOutcome::ListUnobtainable:
        return {"list unobtainable", true};
    case BindOutcome::CacheNotSaved:
        return {"IP-MAC cache not saved", true};
    }
    return {"unknown", true};
}

// "gateway 203.0.113.1 on eth0: bound", or ": not bound: WHY (DETAIL)".
std::string RoundLine(const arpguard::BindRound& round) {
    std::string line = "gateway ";
    line += round.gateway == 0 ? std::string("none")
                               : arpguard::DottedIP(round.gateway) + " on " +
                                     platform::InterfaceName(round.interfaceIndex);
    if (round.outcome == BindOutcome::Bound) {
        return line + ": bound";
    }
    line.append(": not bound: ").append(ReasonOf(round.outcome).text);
    if (!round.error.empty()) {
        line.append(" (").append(round.error).append(")");
    }
    return line;
}

int ExitStatus(BindOutcome outcome) {
    if (outcome == BindOutcome::Bound) {
        return 0;
    }
    return ReasonOf(outcome).failedStep ? kExitGuardStepFailed : kExitGuardNotPinned;
}

void PrintLine(std::FILE* out, const std::string& line) {
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
}

} // namespace

CLI::App* CGuardCommand::Register(CLI::App& parent) {
    CLI::App* command = parent.add_subcommand(
        "guard", "Pin the default gateway's ARP entry when its records vouch for it.");
    command->add_flag("--once", m_once, "make one attempt and leave its entry in place");
    command->footer(kFooter);
    return command;
}

int CGuardCommand::Run(CCommandContext& context) {
    if (!platform::MayChangeNeighbourTable()) {
        return context.Fail(kExitGuardNotPermitted,
                            "cannot change the neighbour table: the guard needs CAP_NET_ADMIN");
    }
    // Held back before the worker starts, so that a signal ends the guard through Stop.
    platform::CStopSignals signals;
    const gateway::GatewayServer server = context.ChooseServer();
    platform::CSystemNetworkTables tables;
    arpguard::CBindMAC guard(tables, arpguard::CLocalIPMACCache(),
                             arpguard::CRemoteIPMACCache(server.host, server.httpPort));
    if (m_once) {
        guard.Bind();
        PrintLine(context.Out(), RoundLine(guard.LastRound()));
        return ExitStatus(guard.LastRound().outcome);
    }
    guard.SetRoundObserver([&context](const arpguard::BindRound& round) {
        PrintLine(context.Out(), RoundLine(round));
    });
    if (guard.Start() != 0) {
        return context.Fail(kExitGuardStepFailed, "cannot start the guard's worker");
    }
    signals.Wait();
    guard.Stop();
    return 0;
}

} // namespace cli
