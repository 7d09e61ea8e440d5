#include "platform/GbkText.h"

namespace platform {

size_t GbkFind(std::string_view text, std::string_view needle, size_t from) {
    for (size_t offset = from; offset < text.size(); offset += GbkCharLength(text, offset)) {
        if (text.substr(offset, needle.size()) == needle) {
            return offset;
        }
    }
    return needle.empty() && from == text.size() ? from : std::string_view::npos;
}

size_t GbkFitLength(std::string_view text, size_t maxBytes) {
    size_t length = 0;
    while (length < text.size()) {
        const size_t next = length + GbkCharLength(text, length);
        if (next > maxBytes) {
            break;
        }
        length = next;
    }
    return length;
}

} // namespace platform
