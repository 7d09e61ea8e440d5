#include "tools/gatewayd/AccountBook.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace gatewayd {

CAccountBook::CAccountBook(std::vector<Account> accounts)
    : m_accounts(std::move(accounts)), m_openCounts(m_accounts.size(), 0),
      m_dropped(m_accounts.size(), false) {}

const Account* CAccountBook::Authenticate(std::string_view name, std::string_view password) const {
    const Account* account = Find(name);
    return account != nullptr && account->password == password ? account : nullptr;
}

const Account* CAccountBook::Find(std::string_view name) const {
    for (const Account& account : m_accounts) {
        if (account.name == name) {
            return &account;
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
    m_dropped[index] = false;
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

int CAccountBook::Drop(const Account& account) {
    const std::size_t index = IndexOf(account);
    const std::lock_guard lock(m_mutex);
    m_dropped[index] = true;
    return std::exchange(m_openCounts[index], 0);
}

bool CAccountBook::AnyDropped() const {
    const std::lock_guard lock(m_mutex);
    return std::find(m_dropped.begin(), m_dropped.end(), true) != m_dropped.end();
}

std::size_t CAccountBook::IndexOf(const Account& account) const {
    assert(&account >= m_accounts.data() && &account < m_accounts.data() + m_accounts.size());
    return static_cast<std::size_t>(&account - m_accounts.data());
}

} // namespace gatewayd
