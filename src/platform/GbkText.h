#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// GBK byte text is walked character by character: a lead byte (0x81 to 0xFE) and the
// byte after it form one character, every other byte is a character of its own.

inline bool IsGbkLeadByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

// The length of the character that starts at offset (1 or 2; 1 for a lead byte that ends
// the text).
inline size_t GbkCharLength(std::string_view text, size_t offset) {
    return IsGbkLeadByte(text[offset]) && offset + 1 < text.size() ? 2 : 1;
}

// Finds needle in text at character starts only, so a match never begins on the trail
// byte of a double-byte character. from must be a character start. Answers npos when
// there is no match.
size_t GbkFind(std::string_view text, std::string_view needle, size_t from = 0);

// The length of the longest prefix of text that holds at most maxBytes bytes and does not
// end in the middle of a character.
size_t GbkFitLength(std::string_view text, size_t maxBytes);

} // namespace platform
