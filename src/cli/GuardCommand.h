#pragma once

#include "cli/Subcommand.h"

namespace cli {

inline constexpr int kExitGuardNotPinned = 3;
inline constexpr int kExitGuardStepFailed = 4;
inline constexpr int kExitGuardNotPermitted = 1;

// guard [--once]: pins the default gateway's neighbour entry when the IP-MAC records of the
// working directory and the gateway server's list vouch for it, printing one line a round.
// With --once one attempt, whose entry stays; otherwise the guard runs until SIGINT or
// SIGTERM and removes its entry on the way out.
class CGuardCommand : public CSubcommand {
public:
    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;

private:
    bool m_once = false;
};

} // namespace cli
