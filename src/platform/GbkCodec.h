#pragma once

#include <string>
#include <string_view>

namespace platform {

// The outcome of converting text between UTF-8 and GBK.
struct ConvertedText {
    std::string text;  // the converted text; empty when the conversion failed
    std::string error; // why the conversion failed, in English; empty on success

    bool Ok() const { return error.empty(); }
};

// Converts UTF-8 to GBK. Fails, naming the offending character, when the input is not
// valid UTF-8 or holds a character that GBK cannot represent; nothing is substituted.
ConvertedText Utf8ToGbk(std::string_view utf8);

// Converts UTF-8 XML text to GBK, writing each character that GBK cannot represent as a
// decimal character reference ("&#169;"). Fails only when the input is not valid UTF-8.
ConvertedText Utf8ToGbkXml(std::string_view utf8);

// Whether text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// Converts GBK to UTF-8. Fails when the input holds a byte sequence that is not GBK.
ConvertedText GbkToUtf8(std::string_view gbk);

// Converts GBK to UTF-8 for display: every byte that does not start a GBK character
// becomes U+FFFD, so text from the network can always be shown.
std::string GbkToUtf8ForDisplay(std::string_view gbk);

// Converts UTF-8 to GBK for display: every character that GBK cannot hold, and every
// byte that does not start a UTF-8 character, becomes '?', so text from the network can
// always be kept in GBK.
std::string Utf8ToGbkForDisplay(std::string_view utf8);

// Converts one of the program's own UTF-8 literals to GBK. The program's texts are all
// representable in GBK, so a failure is a programming error and aborts.
std::string GbkFromLiteral(std::string_view utf8);

} // namespace platform
