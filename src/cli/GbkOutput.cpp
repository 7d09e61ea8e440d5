#include "cli/GbkOutput.h"

#include "platform/GbkCodec.h"

#include <string>

namespace cli {

namespace {

std::string_view WithoutLineEnds(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

void PrintGbkLine(std::FILE* stream, std::string_view gbk) {
    const std::string shown = platform::GbkToUtf8ForDisplay(WithoutLineEnds(gbk));
    std::fprintf(stream, "%s\n", shown.c_str());
}

std::string Visible(std::string_view gbk) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string visible;
    // No byte of a double-byte GBK character is a control character, so bytes will do.
    for (const char character : WithoutLineEnds(gbk)) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte == 0x7F) {
            visible += "\\x";
            visible += kHexDigits[byte >> 4];
            visible += kHexDigits[byte & 0x0F];
        } else {
            visible += character;
        }
    }
    return visible;
}

} // namespace cli
