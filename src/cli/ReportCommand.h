#pragma once

#include "cli/Subcommand.h"

namespace cli {

// report: writes the network state report nsr.txt in the working directory and prints its
// path; it opens no editor.
class CReportCommand : public CSubcommand {
public:
    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;
};

} // namespace cli
