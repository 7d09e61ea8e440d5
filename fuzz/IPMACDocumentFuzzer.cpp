// Feeds arbitrary unscrambled list bodies to the IP-MAC document reader, and checks that
// what it took is written and read back unchanged.
#include "arpguard/IPMACCache.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

class CDocumentCache final : public arpguard::CIPMACCache {
public:
    int Load() override { return 0; }
    int Save() override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    CDocumentCache cache;
    if (!cache.ReadDocument(body)) {
        if (cache.Size() != 0) {
            __builtin_trap();
        }
        return 0;
    }
    std::string written;
    CDocumentCache again;
    if (!cache.WriteDocument(written) || !again.ReadDocument(written) ||
        again.Size() != cache.Size()) {
        __builtin_trap();
    }
    std::string rewritten;
    if (!again.WriteDocument(rewritten) || rewritten != written) {
        __builtin_trap();
    }
    return 0;
}
