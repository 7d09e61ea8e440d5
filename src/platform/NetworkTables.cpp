#include "platform/NetworkTables.h"

#include "platform/NeighbourControl.h"

namespace platform {

bool CSystemNetworkTables::ReadRoutes(std::vector<RouteEntry>& routes, std::string& error) {
    return platform::ReadRoutes(routes, error);
}

bool CSystemNetworkTables::ReadNeighbours(std::vector<NeighbourEntry>& neighbours,
                                          std::string& error) {
    return platform::ReadNeighbours(neighbours, error);
}

bool CSystemNetworkTables::ResolveNeighbour(std::uint32_t address, int interfaceIndex,
                                            NeighbourEntry& entry, std::string& error) {
    return platform::ResolveNeighbour(address, interfaceIndex, entry, error);
}

bool CSystemNetworkTables::DeleteNeighbour(const NeighbourEntry& entry, std::string& error) {
    return platform::DeleteNeighbour(entry, error);
}

bool CSystemNetworkTables::AddPermanentNeighbour(const NeighbourEntry& entry, std::string& error) {
    return platform::AddPermanentNeighbour(entry, error);
}

} // namespace platform
