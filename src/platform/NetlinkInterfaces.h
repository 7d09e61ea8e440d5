#pragma once

#include "platform/NetworkState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One network interface as the kernel lists it.
struct LinkEntry {
    int index = 0;
    std::string name;
    std::uint16_t arphrd = 0; // ARPHRD_* of <linux/if_arp.h>
    HardwareAddress hardwareAddress;
    std::string kind; // the driver kind of a virtual interface ("veth", "bridge"); else empty
};

// One IPv4 address of an interface.
struct AddressEntry {
    int interfaceIndex = 0;
    std::uint32_t address = 0; // network byte order
    std::uint8_t prefixLength = 0;
    // The kernel marks an address without lifetimes IFA_F_PERMANENT; DHCP clients give
    // theirs the lease's lifetime, so those are not.
    bool permanent = false;
};

// Every interface, in the order the kernel lists them (by index). On false links is
// untouched and error holds a one-line English reason. Reads the calling thread's network
// namespace; safe to call from any thread.
bool ReadLinks(std::vector<LinkEntry>& links, std::string& error);

// Every IPv4 address, in the order the kernel lists them (per interface, the primary
// address first); as ReadLinks.
bool ReadIpv4Addresses(std::vector<AddressEntry>& addresses, std::string& error);

} // namespace platform
