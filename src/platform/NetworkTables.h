#pragma once

#include "platform/NetlinkTables.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The network tables that the ARP guard reads and changes: the system's, or a test's
// stand-in. Every operation answers false with a one-line English reason in error when it
// could not be done; an implementation may be used from any one thread at a time.
class CNetworkTables {
public:
    virtual ~CNetworkTables() = default;

    // As platform::ReadRoutes.
    virtual bool ReadRoutes(std::vector<RouteEntry>& routes, std::string& error) = 0;
    // As platform::ReadNeighbours.
    virtual bool ReadNeighbours(std::vector<NeighbourEntry>& neighbours, std::string& error) = 0;
    // As platform::ResolveNeighbour with its default bound.
    virtual bool ResolveNeighbour(std::uint32_t address, int interfaceIndex, NeighbourEntry& entry,
                                  std::string& error) = 0;
    // As platform::DeleteNeighbour.
    virtual bool DeleteNeighbour(const NeighbourEntry& entry, std::string& error) = 0;
    // As platform::AddPermanentNeighbour.
    virtual bool AddPermanentNeighbour(const NeighbourEntry& entry, std::string& error) = 0;
};

// The tables of the calling thread's network namespace, through netlink.
class CSystemNetworkTables final : public CNetworkTables {
public:
    bool ReadRoutes(std::vector<RouteEntry>& routes, std::string& error) override;
    bool ReadNeighbours(std::vector<NeighbourEntry>& neighbours, std::string& error) override;
    bool ResolveNeighbour(std::uint32_t address, int interfaceIndex, NeighbourEntry& entry,
                          std::string& error) override;
    bool DeleteNeighbour(const NeighbourEntry& entry, std::string& error) override;
    bool AddPermanentNeighbour(const NeighbourEntry& entry, std::string& error) override;
};

} // namespace platform
