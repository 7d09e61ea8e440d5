#pragma once

#include "tools/gatewayd/AccountBook.h"
#include "tools/gatewayd/ControlCommands.h"

#include <span>
#include <string>
#include <string_view>

namespace gatewayd {

// The control commands on the accounts' connections: "connections ACCOUNT" answers how
// many the account has open, "drop ACCOUNT" ends them all as an idle time-out does, without
// a word to the client. The account is named in UTF-8, as in the accounts file.
class CAccountCommands {
public:
    // book must outlive the commands.
    explicit CAccountCommands(CAccountBook& book) : m_book(book) {}

    // Adds both commands to commands. The object must outlive the channel that serves them.
    void AddCommands(CControlCommands& commands);

private:
    // The account named by the only argument; null, with failed set and why in error.
    const Account* Named(std::span<const std::string_view> arguments, std::string_view usage,
                         bool& failed, std::string& error) const;

    CAccountBook& m_book;
};

} // namespace gatewayd
