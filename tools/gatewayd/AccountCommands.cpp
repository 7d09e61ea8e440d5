#include "tools/gatewayd/AccountCommands.h"

#include "platform/GbkCodec.h"

namespace gatewayd {
namespace {

constexpr std::string_view kConnectionsUsage = "connections ACCOUNT";
constexpr std::string_view kDropUsage = "drop ACCOUNT";

} // namespace

void CAccountCommands::AddCommands(CControlCommands& commands) {
    commands.Add("connections", std::string(kConnectionsUsage),
                 [this](std::span<const std::string_view> arguments, bool& failed) {
                     std::string error;
                     const Account* account = Named(arguments, kConnectionsUsage, failed, error);
                     return account == nullptr ? error
                                               : std::to_string(m_book.OpenConnections(*account));
                 });
    commands.Add("drop", std::string(kDropUsage),
                 [this](std::span<const std::string_view> arguments, bool& failed) {
                     std::string error;
                     const Account* account = Named(arguments, kDropUsage, failed, error);
                     return account == nullptr ? error
                                               : "dropped " + std::to_string(m_book.Drop(*account));
                 });
}

const Account* CAccountCommands::Named(std::span<const std::string_view> arguments,
                                       std::string_view usage, bool& failed,
                                       std::string& error) const {
    failed = true;
    if (arguments.size() != 1) {
        error = "usage: " + std::string(usage);
        return nullptr;
    }
    const platform::ConvertedText name = platform::Utf8ToGbk(arguments[0]);
    const Account* account = name.Ok() ? m_book.Find(name.text) : nullptr;
    if (account == nullptr) {
        error = "there is no account \"" + std::string(arguments[0]) + "\"";
        return nullptr;
    }
    failed = false;
    return account;
}

} // namespace gatewayd
