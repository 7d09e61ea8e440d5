#include "tools/gatewayd/AccountBook.h"

#include <cassert>

namespace gatewayd {

CAccountBook::CAccountBook(std::vector<Account> accounts)
    : m_accounts(std::move(accounts)), m_openCounts(m_accounts.size(), 0) {}

const Account* CAccountBook::Authenticate(std::string_view name, std::string_view password) const {
    for (const Account& account : m_accounts) {
        if (account.name == name) {
            return account.password == password ? &account : nullptr;
        }
    }
    return nullptr;
}

std::optional<int> CAccountBook::OpenConnection(const Account& account) {
    const std::size_t index = IndexOf(account);
    const std::lock_guard lock(m_mutex);
    if (m_openCounts[index] >= account.connectionLimit) {
        return std::nullopt;
    }
    return ++m_openCounts[index];
}

std::optional<int> CAccountBook::CloseConnection(const Account& account) {
    const std::size_t index = IndexOf(account);
    const std::lock_guard lock(m_mutex);
    if (m_openCounts[index] == 0) {
        return std::nullopt;
    }
    return --m_openCounts[index];
}

void CAccountBook::CloseAllConnections(const Account& account) {
    const std::size_t index = IndexOf(account);
    const std::lock_guard lock(m_mutex);
    m_openCounts[index] = 0;
}

int CAccountBook::OpenConnections(const Account& account) const {
    const std::size_t index = IndexOf(account);
    const std::lock_guard lock(m_mutex);
    return m_openCounts[index];
}

std::size_t CAccountBook::IndexOf(const Account& account) const {
    assert(&account >= m_accounts.data() && &account < m_accounts.data() + m_accounts.size());
    return static_cast<std::size_t>(&account - m_accounts.data());
}

} // namespace gatewayd
