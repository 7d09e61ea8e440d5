// Feeds arbitrary request heads to gatewayd's request parser.
#include "tools/gatewayd/GatewayProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view head(reinterpret_cast<const char*>(data), size);
    const gatewayd::ParsedRequest parsed = gatewayd::ParseGatewayRequest(head);
    // Decoding never grows a value.
    if (parsed.request.password && parsed.request.password->size() > size) {
        __builtin_trap();
    }
    if (gatewayd::UrlDecode(head).size() > size) {
        __builtin_trap();
    }
    return 0;
}
