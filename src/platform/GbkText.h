#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// GBK byte text is walked character by character: a lead byte (0x81 to 0xFE) and a trail
// byte after it (0x40 to 0x7E, 0x80 to 0xFE) form one character, every other byte is a
// character of its own, so that a broken character never swallows the space or marker
// after it.

inline bool IsGbkLeadByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

inline bool IsGbkTrailByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return (value >= 0x40 && value <= 0x7E) || (value >= 0x80 && value <= 0xFE);
}

// The length of the character that starts at offset (1 or 2; 1 for a lead byte that ends
// the text or is not followed by a trail byte).
inline size_t GbkCharLength(std::string_view text, size_t offset) {
    return IsGbkLeadByte(text[offset]) && offset + 1 < text.size() &&
                   IsGbkTrailByte(text[offset + 1])
               ? 2
               : 1;
}

// Finds needle in text at character starts only, so a match never begins on the trail
// byte of a double-byte character. from must be a character start. Answers npos when
// there is no match.
size_t GbkFind(std::string_view text, std::string_view needle, size_t from = 0);

// The length of the longest prefix of text that holds at most maxBytes bytes and does not
// end in the middle of a character.
size_t GbkFitLength(std::string_view text, size_t maxBytes);

} // namespace platform
