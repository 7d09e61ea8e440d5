#include "cli/ForgetCommand.h"

#include "cli/CommandContext.h"
#include "config/UserInfo.h"

#include <CLI/CLI.hpp>

namespace cli {

CLI::App* CForgetCommand::Register(CLI::App& parent) {
    CLI::App* command = parent.add_subcommand("forget", "Delete a saved account, or all of them.");
    CLI::Option* name = command->add_option("NAME", m_name, "the saved account to delete");
    command->add_flag("--all", m_all, "delete every saved account")->excludes(name);
    command->callback([this] {
        if (!m_all && m_name.empty()) {
            throw CLI::ValidationError("forget takes one NAME or --all");
        }
    });
    return command;
}

int CForgetCommand::Run(CCommandContext& context) {
    CSavedAccounts& saved = context.Saved();
    if (!saved.IsOpen()) {
        return context.Fail(kExitSettingsFailed, saved.Error());
    }
    if (m_all) {
        return saved.ForgetAll() ? 0 : context.Fail(kExitSettingsFailed, saved.Error());
    }
    std::string name;
    if (!context.ToGbk("account name", m_name, config::UserText::kMaxLength, name)) {
        return kExitUsage;
    }
    bool found = false;
    if (!saved.Forget(name, found)) {
        return context.Fail(kExitSettingsFailed,
                            found ? saved.Error() : "there is no saved account \"" + m_name + "\"");
    }
    return 0;
}

} // namespace cli
