#pragma once

#include "cli/Subcommand.h"

namespace cli {

// announcements: fetches the operator's announcement document once from the gateway
// server's HTTP port and lists its announcements as "title<TAB>url" lines.
class CAnnouncementsCommand : public CSubcommand {
public:
    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;
};

} // namespace cli
