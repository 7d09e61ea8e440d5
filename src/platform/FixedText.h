#pragma once

#include "platform/GbkText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Text held in what was a fixed character array of N bytes: it keeps at most N - 1 bytes,
// so every length limit of such a field stays a limit, and nothing can be written past it.
template <std::size_t N>
class CFixedText {
    static_assert(N > 0, "a field holds at least its terminating zero");

public:
    static constexpr std::size_t kSize = N;
    static constexpr std::size_t kMaxLength = N - 1;

    // Stores text when it fits; otherwise answers false and keeps the old value.
    bool Assign(std::string_view text) {
        if (text.size() > kMaxLength) {
            return false;
        }
        m_text.assign(text);
        return true;
    }

    // Stores as much of text as fits, cut at a GBK character boundary.
    void AssignCut(std::string_view text) {
        m_text.assign(text.substr(0, GbkFitLength(text, kMaxLength)));
    }

    // Appends as much of text as still fits, cut at a GBK character boundary.
    void AppendCut(std::string_view text) {
        const std::size_t room = kMaxLength - m_text.size();
        m_text.append(text.substr(0, GbkFitLength(text, room)));
    }

    void Clear() { m_text.clear(); }

    bool IsEmpty() const { return m_text.empty(); }
    std::size_t Length() const { return m_text.size(); }
    std::string_view View() const { return m_text; }
    const char* CStr() const { return m_text.c_str(); }

    friend bool operator==(const CFixedText& text, std::string_view other) {
        return text.View() == other;
    }

private:
    std::string m_text;
};

} // namespace platform
