#include "platform/FakeNetworkTables.h"

#include <linux/neighbour.h>

#include <algorithm>

namespace platform {
namespace {

auto SameAddress(std::uint32_t address) {
    return [address](const NeighbourEntry& entry) { return entry.address == address; };
}

} // namespace

void CFakeNetworkTables::SetRoutes(std::vector<RouteEntry> routes) {
    const std::lock_guard lock(m_mutex);
    m_routes = std::move(routes);
}

void CFakeNetworkTables::SetHost(std::uint32_t address, std::vector<std::uint8_t> mac) {
    const std::lock_guard lock(m_mutex);
    if (mac.empty()) {
        m_hosts.erase(address);
    } else {
        m_hosts[address] = std::move(mac);
    }
}

void CFakeNetworkTables::SetFailing(Operation operation, bool failing) {
    const std::lock_guard lock(m_mutex);
    if (failing) {
        m_failing.insert(operation);
    } else {
        m_failing.erase(operation);
    }
}

void CFakeNetworkTables::PutNeighbour(const NeighbourEntry& entry) {
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_neighbours, SameAddress(entry.address));
    m_neighbours.push_back(entry);
}

void CFakeNetworkTables::RemoveNeighbour(std::uint32_t address) {
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_neighbours, SameAddress(address));
}

std::vector<NeighbourEntry> CFakeNetworkTables::Neighbours() const {
    const std::lock_guard lock(m_mutex);
    return m_neighbours;
}

int CFakeNetworkTables::Calls(Operation operation) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_calls.find(operation);
    return found == m_calls.end() ? 0 : found->second;
}

bool CFakeNetworkTables::Enter(Operation operation, std::string& error) {
    ++m_calls[operation];
    if (m_failing.contains(operation)) {
        error = "the test made this operation fail";
        return false;
    }
    return true;
}

bool CFakeNetworkTables::ReadRoutes(std::vector<RouteEntry>& routes, std::string& error) {
    const std::lock_guard lock(m_mutex);
    if (!Enter(Operation::ReadRoutes, error)) {
        return false;
    }
    routes = m_routes;
    return true;
}

bool CFakeNetworkTables::ReadNeighbours(std::vector<NeighbourEntry>& neighbours,
                                        std::string& error) {
    const std::lock_guard lock(m_mutex);
    if (!Enter(Operation::ReadNeighbours, error)) {
        return false;
    }
    neighbours = m_neighbours;
    return true;
}

bool CFakeNetworkTables::ResolveNeighbour(std::uint32_t address, int interfaceIndex,
                                          NeighbourEntry& entry, std::string& error) {
    const std::lock_guard lock(m_mutex);
    if (!Enter(Operation::Resolve, error)) {
        return false;
    }
    const auto known = std::find_if(m_neighbours.begin(), m_neighbours.end(), SameAddress(address));
    if (known != m_neighbours.end() && known->state == NUD_REACHABLE) {
        entry = *known;
        return true;
    }
    const auto host = m_hosts.find(address);
    if (host == m_hosts.end()) {
        error = "no answer to the address request";
        return false;
    }
    NeighbourEntry learned;
    learned.address = address;
    learned.interfaceIndex = interfaceIndex;
    learned.state = NUD_REACHABLE;
    learned.hardwareLength = std::min(host->second.size(), learned.hardwareAddress.size());
    std::copy_n(host->second.begin(), learned.hardwareLength, learned.hardwareAddress.begin());
    std::erase_if(m_neighbours, SameAddress(address));
    m_neighbours.push_back(learned);
    entry = learned;
    return true;
}

bool CFakeNetworkTables::DeleteNeighbour(const NeighbourEntry& entry, std::string& error) {
    const std::lock_guard lock(m_mutex);
    if (!Enter(Operation::Delete, error)) {
        return false;
    }
    std::erase_if(m_neighbours, SameAddress(entry.address));
    return true;
}

bool CFakeNetworkTables::AddPermanentNeighbour(const NeighbourEntry& entry, std::string& error) {
    const std::lock_guard lock(m_mutex);
    if (!Enter(Operation::Add, error)) {
        return false;
    }
    NeighbourEntry permanent = entry;
    permanent.state = NUD_PERMANENT;
    std::erase_if(m_neighbours, SameAddress(entry.address));
    m_neighbours.push_back(permanent);
    return true;
}

} // namespace platform
