#include "platform/GbkText.h"

#include "platform/FixedText.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

// "口" is BF DA: its trail byte DA followed by "B" would match "\xDA" "B" if the search
// walked bytes instead of characters.
constexpr std::string_view kText = "A\xBF\xDA"
                                   "B=1 ";

TEST(GbkText, FindNeverMatchesOnATrailByte) {
    EXPECT_EQ(platform::GbkFind(kText, "\xDA"
                                       "B"),
              std::string_view::npos);
    EXPECT_EQ(platform::GbkFind(kText, "\xBF\xDA"), 1u);
    EXPECT_EQ(platform::GbkFind(kText, "B"), 3u);
    EXPECT_EQ(platform::GbkFind(kText, "="), 4u);
    EXPECT_EQ(platform::GbkFind(kText, "=", 4), 4u);
    EXPECT_EQ(platform::GbkFind(kText, "Z"), std::string_view::npos);
}

TEST(GbkText, FindTreatsALeadByteAtTheEndAsOneCharacter) {
    EXPECT_EQ(platform::GbkFind("ab\xBF", "\xBF"), 2u);
}

TEST(GbkText, ALeadByteWithoutATrailByteIsOneCharacter) {
    // 0x20, 0x3D and 0x7F are no trail bytes; 0x40 and 0xFE are.
    EXPECT_EQ(platform::GbkFind("\xB0 x", " "), 1u);
    EXPECT_EQ(platform::GbkFind("\xB0=x", "="), 1u);
    EXPECT_EQ(platform::GbkFind("\xB0\x7F", "\x7F"), 1u);
    EXPECT_EQ(platform::GbkFind("\xB0@=", "@"), std::string_view::npos);
    EXPECT_EQ(platform::GbkFind("\xB0\xFE=", "\xFE"), std::string_view::npos);
}

struct FitCase {
    std::string_view text;
    std::size_t maxBytes;
    std::size_t expected;
};

void PrintTo(const FitCase& fit, std::ostream* out) {
    *out << fit.text.size() << " bytes into " << fit.maxBytes;
}

class GbkFitLength : public testing::TestWithParam<FitCase> {};

TEST_P(GbkFitLength, CutsOnlyBetweenCharacters) {
    EXPECT_EQ(platform::GbkFitLength(GetParam().text, GetParam().maxBytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, GbkFitLength,
                         testing::Values(FitCase{"abc", 5, 3}, FitCase{"abc", 2, 2},
                                         FitCase{"a\xBF\xDA", 2, 1}, FitCase{"a\xBF\xDA", 3, 3},
                                         FitCase{"\xBF\xDA\xBF\xDA", 3, 2}, FitCase{"", 0, 0},
                                         FitCase{"ab", 0, 0}));

TEST(FixedText, AssignRefusesWhatDoesNotFitAndKeepsTheOldValue) {
    platform::CFixedText<4> field;
    EXPECT_TRUE(field.Assign("abc"));
    EXPECT_FALSE(field.Assign("abcd"));
    EXPECT_EQ(field, "abc");
}

TEST(FixedText, AssignCutAndAppendCutStopAtACharacterBoundary) {
    platform::CFixedText<5> field;
    field.AssignCut("a\xBF\xDA\xBF\xDA");
    EXPECT_EQ(field, "a\xBF\xDA");
    field.AppendCut("\xBF\xDA");
    EXPECT_EQ(field, "a\xBF\xDA");
    field.AppendCut("z!");
    EXPECT_EQ(field, "a\xBF\xDAz");
}

} // namespace
