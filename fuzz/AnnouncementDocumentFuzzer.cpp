// Feeds arbitrary bodies to the announcement document parser, as the feed would.
#include "announce/AnnouncementDocument.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    announce::CVORNNotificationMessage list;
    announce::ParseAnnouncementDocument(body, list);

    // The list keeps its bound, and neither a duplicate nor a shown record.
    if (list.Count() > announce::CVORNNotificationMessage::kMaxCount) {
        __builtin_trap();
    }
    for (const announce::CVORNNotificationMessage& record : list.Records()) {
        if (record.IsShown()) {
            __builtin_trap();
        }
        int same = 0;
        for (const announce::CVORNNotificationMessage& other : list.Records()) {
            same += record.IsSame(other) ? 1 : 0;
        }
        if (same > 1) {
            __builtin_trap();
        }
    }
    return 0;
}
