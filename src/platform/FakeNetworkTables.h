#pragma once

#include "platform/NetworkTables.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace platform {

// Network tables of the test's making, for tests that cannot change the system's. The
// network answers address requests from a list of hosts (a reachable entry is the answer
// as it stands, as with the system's); the neighbour table holds what
// those answers and the writes made, and what the test puts there itself. Each operation
// can be made to fail. Safe to use from several threads.
class CFakeNetworkTables final : public CNetworkTables {
public:
    enum class Operation { ReadRoutes, ReadNeighbours, Resolve, Delete, Add };

    void SetRoutes(std::vector<RouteEntry> routes);
    // A host that answers requests for address with mac; an empty mac removes it.
    void SetHost(std::uint32_t address, std::vector<std::uint8_t> mac);
    void SetFailing(Operation operation, bool failing);

    // Puts or removes an entry as someone else would.
    void PutNeighbour(const NeighbourEntry& entry);
    void RemoveNeighbour(std::uint32_t address);

    std::vector<NeighbourEntry> Neighbours() const;
    // How often an operation was called.
    int Calls(Operation operation) const;

    bool ReadRoutes(std::vector<RouteEntry>& routes, std::string& error) override;
    bool ReadNeighbours(std::vector<NeighbourEntry>& neighbours, std::string& error) override;
    bool ResolveNeighbour(std::uint32_t address, int interfaceIndex, NeighbourEntry& entry,
                          std::string& error) override;
    bool DeleteNeighbour(const NeighbourEntry& entry, std::string& error) override;
    bool AddPermanentNeighbour(const NeighbourEntry& entry, std::string& error) override;

private:
    // Counts the call; false with a reason when the operation is made to fail.
    bool Enter(Operation operation, std::string& error);

    mutable std::mutex m_mutex;
    std::vector<RouteEntry> m_routes;
    std::map<std::uint32_t, std::vector<std::uint8_t>> m_hosts;
    std::vector<NeighbourEntry> m_neighbours;
    std::set<Operation> m_failing;
    std::map<Operation, int> m_calls;
};

} // namespace platform
