#pragma once

#include "heartbeat/HBHandler.h"
#include "platform/FixedText.h"
#include "platform/UdpSocket.h"

#include <cstdint>
#include <thread>

namespace heartbeat {

// One registered heartbeat server and its probe.
struct HBSRecord {
    platform::CFixedText<32> name; // name tag ("cam", "dom"); stored only
    platform::CFixedText<64> host; // host name or dotted IPv4 address
    std::int32_t port = 0;         // UDP port; only its low 16 bits are used
    std::int32_t interval = 0;     // ms: the pause after each probe and the reply wait
    CHBHandler* handler = nullptr; // not owned
    std::int32_t index = 0;        // handed back with every callback
    std::jthread thread;           // the probe, set by Start
    platform::CUdpSocket socket;   // opened by the probe, closed by Stop
};

} // namespace heartbeat
