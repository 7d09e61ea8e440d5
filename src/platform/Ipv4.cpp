#include "platform/Ipv4.h"

#include <arpa/inet.h>

namespace platform {

std::uint32_t MaskOf(int prefixLength) {
    constexpr int kBits = 32;
    if (prefixLength <= 0) {
        return 0;
    }
    if (prefixLength >= kBits) {
        return ~0U;
    }
    return htonl(~((1U << (kBits - prefixLength)) - 1));
}

std::string Ipv4Text(std::uint32_t address) {
    char text[INET_ADDRSTRLEN] = {};
    const in_addr value{address};
    // inet_ntop cannot fail for AF_INET into a buffer of INET_ADDRSTRLEN.
    inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

} // namespace platform
