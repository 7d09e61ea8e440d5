#pragma once

#include "cli/GatewayCommand.h"

namespace cli {

// keep [-u USER ...] [--range free|paid] [--stay]: connects as connect does, then watches
// the connection and reconnects by itself after the gateway dropped it or the machine
// resumed, until SIGINT or SIGTERM; then disconnects, unless --stay.
class CKeepCommand : public CGatewayCommand {
public:
    CKeepCommand() : CGatewayCommand(Action::Connect) {}

    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;

    bool Stay() const { return m_stay; }

private:
    bool m_stay = false;
};

} // namespace cli
