#pragma once

#include "tools/gatewayd/Account.h"

#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace gatewayd {

// The accounts and how many connections each has open. The accounts never change after
// construction; the counts live in memory only. Every call may come from any thread.
class CAccountBook {
public:
    explicit CAccountBook(std::vector<Account> accounts);
    CAccountBook(const CAccountBook&) = delete;
    CAccountBook& operator=(const CAccountBook&) = delete;

    // The account called name whose password is password (both GBK), or null when there is
    // none. The pointer stays valid for the book's life.
    const Account* Authenticate(std::string_view name, std::string_view password) const;

    // The account called name (GBK), or null when there is none. The pointer stays valid
    // for the book's life.
    const Account* Find(std::string_view name) const;

    // Opens one connection for account when it has fewer than its limit open, and answers
    // the count afterwards; answers nothing, changing nothing, when the limit is reached.
    // An open connection ends the account's drop.
    std::optional<int> OpenConnection(const Account& account);

    // Closes one connection of account and answers the count afterwards; answers nothing
    // when none is open.
    std::optional<int> CloseConnection(const Account& account);

    // Closes every connection of account.
    void CloseAllConnections(const Account& account);

    // How many connections account has open.
    int OpenConnections(const Account& account) const;

    // Closes every connection of account as the gateway does on an idle time-out, without
    // telling its client, and answers how many were open. The account counts as dropped
    // until it opens a connection again.
    int Drop(const Account& account);

    // Whether some account was dropped and has not connected since.
    bool AnyDropped() const;

private:
    // account must be one of m_accounts.
    std::size_t IndexOf(const Account& account) const;

    const std::vector<Account> m_accounts;
    mutable std::mutex m_mutex;
    std::vector<int> m_openCounts; // by index into m_accounts, guarded by m_mutex
    std::vector<bool> m_dropped;   // likewise
};

} // namespace gatewayd
