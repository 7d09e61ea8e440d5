#include "cli/KeepCommand.h"

#include "cli/CommandContext.h"
#include "cli/KeepConnection.h"
#include "cli/TerminalMessageBox.h"
#include "gateway/QELOpenSSLVORNClient.h"

#include <CLI/CLI.hpp>

namespace cli {

CLI::App* CKeepCommand::Register(CLI::App& parent) {
    CLI::App* command = parent.add_subcommand(
        "keep", "Connect, then stay connected: reconnect by itself after the gateway dropped\n"
                "the connection or the machine resumed, until SIGINT or SIGTERM.");
    AddAccountOptions(*command);
    command->add_flag("--stay", m_stay, "leave the connection open when stopped");
    command->footer("Without -u, the default account connects with its remembered password and\n"
                    "range. One line with a time stamp for every change of the reachability and\n"
                    "every reconnect. Exit status: as connect for the first connect; 0 after a\n"
                    "stop, or the connect status of the refusal that ended the reconnects.");
    return command;
}

int CKeepCommand::Run(CCommandContext& context) {
    config::UserInfo account;
    Range range = Range::Free;
    if (const int status = ChooseAccount(context, account, range); status != 0) {
        return status;
    }
    CSavedAccounts& saved = context.Saved();
    if (!saved.IsOpen()) {
        return context.Fail(kExitSettingsFailed, saved.Error());
    }
    CTerminalMessageBox messageBox(context.Err());
    gateway::CQELOpenSSLVORNClient client(context.ChooseServer(), messageBox);
    GiveAccount(client, account, range);
    return CKeepConnection(context, client).Run(saved.Settings(), m_stay);
}

} // namespace cli
