#pragma once

#include "platform/NetworkState.h"

#include <filesystem>
#include <string>

namespace platform {

// The system's folder of network interfaces.
inline const std::filesystem::path kSysClassNet = "/sys/class/net";

// The interface record of the interface name from its folder under classNet: index, type
// (ARPHRD_* mapped through ReportCodes.h, 802.11 when it has a "wireless" or "phy80211"
// entry), MTU, speed (the folder gives megabits per second; none when it cannot say), and
// the counters of "statistics". Linux counts received multicast packets but neither
// received broadcasts apart nor sent multicasts: received non-unicast packets are the
// multicast count and received unicast packets the rest; sent unicast packets are all
// sent packets, sent non-unicast packets are left empty. Unknown protocols are the packets
// no protocol handler took (rx_nohandler). A counter file that is missing is left empty.
// Answers false with a one-line reason when the folder or its index, type or MTU cannot be
// read, or the index is not expectedIndex (the name went to another interface meanwhile).
bool ReadSysfsInterface(const std::filesystem::path& classNet, const std::string& name,
                        int expectedIndex, InterfaceRecord& record, std::string& error);

// What describes the interface name to a reader, as Linux has no description text: the
// alias set for it (ip link set alias), else its driver, else the kind of a virtual
// interface, else the name itself.
std::string InterfaceDescription(const std::filesystem::path& classNet, const std::string& name,
                                 const std::string& kind);

} // namespace platform
