#pragma once

#include "cli/Subcommand.h"
#include "config/UserInfo.h"

#include <optional>
#include <string>

namespace gateway {
class CQELVORNClient;
} // namespace gateway

namespace cli {

class CSavedAccounts;

enum class PasswordSource { Argument, Stdin, Terminal };
enum class Range { Free, Paid };

// The options of a command that talks to the gateway server. Texts are UTF-8, as typed.
struct GatewayOptions {
    // The account; a connect without one uses the default account.
    std::optional<std::string> userName;
    PasswordSource passwordSource = PasswordSource::Terminal;
    std::string password;       // with PasswordSource::Argument
    std::optional<Range> range; // not given: free, or the default account's saved range

    // What a successful connect remembers. Each implies the one before it.
    bool save = false;
    bool rememberPassword = false;
    bool autoLogon = false;
};

// connect, disconnect and disconnect-all: one account, one request to the gateway server.
class CGatewayCommand : public CSubcommand {
public:
    enum class Action { Connect, Disconnect, DisconnectAll };

    explicit CGatewayCommand(Action action) : m_action(action) {}

    CLI::App* Register(CLI::App& parent) override;
    int Run(CCommandContext& context) override;

    Action GetAction() const { return m_action; }
    const GatewayOptions& Options() const { return m_options; }

protected:
    // -u, the password options and --range, with the check that spans them.
    void AddAccountOptions(CLI::App& command);

    // The account: typed, or the default account. Answers 0 or the exit status that ends
    // the command.
    int ChooseAccount(CCommandContext& context, config::UserInfo& account, Range& range);

    // Hands account and range to client.
    static void GiveAccount(gateway::CQELVORNClient& client, const config::UserInfo& account,
                            Range range);

private:
    void AddPasswordOptions(CLI::App& command);
    void AddConnectOptions(CLI::App& command);
    void Check();

    bool ReadPassword(const CCommandContext& context, std::string& password) const;
    void RememberAccount(CCommandContext& context, const config::UserInfo& account,
                         Range range) const;

    Action m_action;
    GatewayOptions m_options;
};

} // namespace cli
