#pragma once

#include "cli/Subcommand.h"

namespace cli {

// accounts: lists the saved accounts and the switches.
class CAccountsCommand : public CSubcommand {
public:
    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;
};

} // namespace cli
