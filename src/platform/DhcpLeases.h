#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The DHCP server that leased an address, from the lease files that DHCP clients leave
// behind. Only a lease for that very address counts, so a stale file of an earlier
// network names no server.

// A lease of systemd-networkd or NetworkManager's internal client: KEY=VALUE lines with
// ADDRESS and SERVER_ADDRESS. Answers the server, or an empty text.
std::string ServerFromKeyValueLease(std::string_view text, std::string_view address);

// A leases file of ISC dhclient: "lease { ... }" blocks with "fixed-address" and
// "option dhcp-server-identifier"; the last lease of the address wins, as dhclient appends
// renewals. Answers the server, or an empty text.
std::string ServerFromDhclientLeases(std::string_view text, std::string_view address);

// Where the usual clients keep the leases of an interface, and which of the two formats
// each file has.
struct LeaseFile {
    std::filesystem::path path;
    bool dhclient = false;
};
std::vector<LeaseFile> LeaseFilesOf(int interfaceIndex, const std::string& interfaceName);

// Looks through LeaseFilesOf in order and answers the first server found for address;
// files that are missing or cannot be read are passed over. Empty when none is known.
std::string FindDhcpServer(int interfaceIndex, const std::string& interfaceName,
                           const std::string& address);

} // namespace platform
