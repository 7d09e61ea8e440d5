#include "platform/GbkCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

constexpr const char* kGbk = "GBK";
constexpr const char* kUtf8 = "UTF-8";

// One iconv descriptor for the length of one conversion; descriptors are not shareable
// between threads, and opening one is cheap next to the I/O around every conversion.
class CIconv {
public:
    CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CIconv() {
        if (IsOpen()) {
            iconv_close(m_cd);
        }
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;

    // iconv_open reports failure as (iconv_t)-1.
    bool IsOpen() const {
        return m_cd != reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr)
    }

    // Converts as much of the input as possible, appending to out. Returns 0 when all of
    // it was converted, else the errno that stopped it; in points at the failing byte.
    int Convert(std::string_view& in, std::string& out) {
        char buffer[256];
        while (!in.empty()) {
            char* inPtr = const_cast<char*>(in.data());
            size_t inLeft = in.size();
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            const int error = errno;
            out.append(buffer, outPtr - buffer);
            in.remove_prefix(in.size() - inLeft);
            if (result != static_cast<size_t>(-1)) {
                continue;
            }
            if (error != E2BIG) {
                return error;
            }
        }
        return 0;
    }

private:
    iconv_t m_cd;
};

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// Rejects the forms that a well-formed lead and continuation bytes still allow: overlong
// encodings, UTF-16 surrogates and code points past U+10FFFF.
bool IsOverlongOrSurrogate(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    const auto second = sequence.size() > 1 ? static_cast<unsigned char>(sequence[1]) : 0;
    return (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
           (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F);
}

// The offset of the first byte that does not belong to well-formed UTF-8, or npos.
size_t FindInvalidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[i]));
        if (length == 0 || i + length > text.size()) {
            return i;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return i;
            }
        }
        if (IsOverlongOrSurrogate(text.substr(i, length))) {
            return i;
        }
        i += length;
    }
    return std::string_view::npos;
}

// The code point of the well-formed UTF-8 character at the start of text.
unsigned int CodePointAt(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const size_t length = Utf8SequenceLength(lead);
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    unsigned int code = lead & kLeadMask[length];
    for (size_t i = 1; i < length; ++i) {
        code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    return code;
}

// Names the well-formed UTF-8 character at the start of text, for a message.
std::string DescribeUtf8Character(std::string_view text) {
    const size_t length = Utf8SequenceLength(static_cast<unsigned char>(text.front()));
    char name[64];
    std::snprintf(name, sizeof name, "\"%.*s\" (U+%04X)", static_cast<int>(length), text.data(),
                  CodePointAt(text));
    return name;
}

// The length of the well-formed UTF-8 sequence at the start of text, or 1 when there is
// none, so that a stray byte is skipped alone.
size_t SequenceOrByteLength(std::string_view text) {
    const size_t length = Utf8SequenceLength(static_cast<unsigned char>(text.front()));
    if (length == 0 || length > text.size() || FindInvalidUtf8(text.substr(0, length)) == 0) {
        return 1;
    }
    return length;
}

// Converts text, putting replacement in place of each piece that cannot be converted; the
// piece is skip(rest) bytes long. Empty when the system cannot convert at all.
template <typename Skip>
std::string ConvertForDisplay(const char* to, const char* from, std::string_view text,
                              std::string_view replacement, Skip skip) {
    CIconv converter(to, from);
    std::string shown;
    if (!converter.IsOpen()) {
        return shown;
    }
    std::string_view rest = text;
    while (converter.Convert(rest, shown) != 0 && !rest.empty()) {
        shown += replacement;
        rest.remove_prefix(skip(rest));
    }
    return shown;
}

std::string ByteOffsetText(size_t offset) {
    return " at byte " + std::to_string(offset);
}

// Converts UTF-8 to GBK. At each character that GBK lacks, writeInstead appends what stands
// for it and answers true, or answers false to refuse the whole text.
template <typename WriteInstead>
ConvertedText Utf8ToGbkWith(std::string_view utf8, WriteInstead writeInstead) {
    if (const size_t invalid = FindInvalidUtf8(utf8); invalid != std::string_view::npos) {
        return {{}, "the text is not valid UTF-8" + ByteOffsetText(invalid)};
    }
    CIconv converter(kGbk, kUtf8);
    if (!converter.IsOpen()) {
        return {{}, "the system cannot convert UTF-8 to GBK"};
    }
    std::string_view rest = utf8;
    ConvertedText converted;
    // The input is valid UTF-8, so each stop is at a character that GBK lacks.
    while (converter.Convert(rest, converted.text) != 0 && !rest.empty()) {
        if (!writeInstead(rest, converted.text)) {
            return {{},
                    "the character " + DescribeUtf8Character(rest) +
                        ByteOffsetText(utf8.size() - rest.size()) + " cannot be written in GBK"};
        }
        rest.remove_prefix(Utf8SequenceLength(static_cast<unsigned char>(rest.front())));
    }
    return converted;
}

} // namespace

ConvertedText Utf8ToGbk(std::string_view utf8) {
    return Utf8ToGbkWith(utf8, [](std::string_view, std::string&) { return false; });
}

ConvertedText Utf8ToGbkXml(std::string_view utf8) {
    return Utf8ToGbkWith(utf8, [](std::string_view rest, std::string& gbk) {
        gbk += "&#" + std::to_string(CodePointAt(rest)) + ";";
        return true;
    });
}

bool IsValidUtf8(std::string_view text) {
    return FindInvalidUtf8(text) == std::string_view::npos;
}

ConvertedText GbkToUtf8(std::string_view gbk) {
    CIconv converter(kUtf8, kGbk);
    if (!converter.IsOpen()) {
        return {{}, "the system cannot convert GBK to UTF-8"};
    }
    std::string_view rest = gbk;
    ConvertedText converted;
    if (converter.Convert(rest, converted.text) != 0) {
        return {{}, "the text is not valid GBK" + ByteOffsetText(gbk.size() - rest.size())};
    }
    return converted;
}

std::string GbkToUtf8ForDisplay(std::string_view gbk) {
    return ConvertForDisplay(kUtf8, kGbk, gbk, "\xEF\xBF\xBD",
                             [](std::string_view) { return std::size_t{1}; });
}

std::string Utf8ToGbkForDisplay(std::string_view utf8) {
    return ConvertForDisplay(kGbk, kUtf8, utf8, "?", SequenceOrByteLength);
}

std::string GbkFromLiteral(std::string_view utf8) {
    ConvertedText converted = Utf8ToGbk(utf8);
    if (!converted.Ok()) {
        std::fprintf(stderr, "internal text cannot be converted to GBK: %s\n",
                     converted.error.c_str());
        std::abort();
    }
    return std::move(converted.text);
}

} // namespace platform
