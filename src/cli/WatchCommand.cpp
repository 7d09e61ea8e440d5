#include "cli/WatchCommand.h"

#include "cli/CommandContext.h"
#include "cli/ReachWatch.h"

#include <CLI/CLI.hpp>

namespace cli {
namespace {

// A day: longer runs are meant to end by a signal.
constexpr unsigned kMostSeconds = 86'400;

} // namespace

CLI::App* CWatchCommand::Register(CLI::App& parent) {
    CLI::App* command = parent.add_subcommand(
        "watch", "Probe the heartbeat servers of the settings and print the reachability\n"
                 "(none, campus or domestic) at the start and at every change.");
    command
        ->add_option("--seconds", m_seconds, "end after N seconds (default: at SIGINT or SIGTERM)")
        ->type_name("N")
        ->check(CLI::Range(0U, kMostSeconds));
    return command;
}

int CWatchCommand::Run(CCommandContext& context) {
    CSavedAccounts& saved = context.Saved();
    if (!saved.IsOpen()) {
        return context.Fail(kExitSettingsFailed, saved.Error());
    }
    std::optional<std::chrono::seconds> limit;
    if (m_seconds) {
        limit = std::chrono::seconds(*m_seconds);
    }
    return CReachWatch(context).Run(saved.Settings(), limit);
}

} // namespace cli
