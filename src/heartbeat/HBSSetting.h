#pragma once

#include "config/VORNConfig.h"
#include "heartbeat/ConWatchDog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace heartbeat {

// The probe interval of the two servers that the client probes.
inline constexpr std::int32_t kHBSInterval = 5000; // ms

// A heartbeat entry "host:port" taken apart.
struct HBSSetting {
    std::string host;      // the text before the first ':'
    std::int32_t port = 0; // the leading digits after it; none give 0
};

// Takes text apart at the first ':' within its first 256 bytes. Nothing when there is no
// such ':', when the host before it is empty, or when the port's digits make a number
// above 65535, which names no port.
std::optional<HBSSetting> ParseHBSSetting(std::string_view text);

// Which of the two servers RegisterSettingsServers registered.
struct RegisteredServers {
    bool campus = false;
    bool domestic = false;
};

// Registers "cam" (index 0) from HBSCam and "dom" (index 1) from HBSDom with interval (ms)
// and handler, as the main window does. An entry that is missing or cannot be taken apart,
// or that the table has no room for, is left out.
RegisteredServers RegisterSettingsServers(config::CVORNConfig& settings, CConWatchDog& watchDog,
                                          CHBHandler& handler,
                                          std::int32_t interval = kHBSInterval);

} // namespace heartbeat
