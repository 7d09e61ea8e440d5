#pragma once

#include "cli/Subcommand.h"

#include <optional>

namespace cli {

// watch [--seconds N]: probes the heartbeat servers of the settings and prints the
// reachability state, first the starting one and then every change, until SIGINT or
// SIGTERM, or for N seconds.
class CWatchCommand : public CSubcommand {
public:
    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;

    const std::optional<unsigned>& Seconds() const { return m_seconds; }

private:
    std::optional<unsigned> m_seconds;
};

} // namespace cli
