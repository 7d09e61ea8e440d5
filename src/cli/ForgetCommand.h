#pragma once

#include "cli/Subcommand.h"

#include <string>

namespace cli {

// forget NAME | forget --all: deletes one saved account, or all of them.
class CForgetCommand : public CSubcommand {
public:
    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;

    const std::string& Name() const { return m_name; } // UTF-8, as typed
    bool All() const { return m_all; }

private:
    std::string m_name;
    bool m_all = false;
};

} // namespace cli
