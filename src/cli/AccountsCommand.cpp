#include "cli/AccountsCommand.h"

#include "cli/CommandContext.h"

#include <CLI/CLI.hpp>

namespace cli {

CLI::App* CAccountsCommand::Register(CLI::App& parent) {
    return parent.add_subcommand("accounts", "List the saved accounts and the switches.");
}

int CAccountsCommand::Run(CCommandContext& context) {
    CSavedAccounts& saved = context.Saved();
    if (!saved.IsOpen() || !saved.PrintList(context.Out())) {
        return context.Fail(kExitSettingsFailed, saved.Error());
    }
    return 0;
}

} // namespace cli
