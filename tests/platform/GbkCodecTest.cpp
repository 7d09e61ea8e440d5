#include "platform/GbkCodec.h"

#include <gtest/gtest.h>

namespace {

using platform::GbkToUtf8;
using platform::Utf8ToGbk;

TEST(GbkCodec, RoundTripsChineseAndAscii) {
    const platform::ConvertedText gbk = Utf8ToGbk("口令错误.");
    ASSERT_TRUE(gbk.Ok()) << gbk.error;
    EXPECT_EQ(gbk.text, "\xBF\xDA\xC1\xEE\xB4\xED\xCE\xF3.");
    const platform::ConvertedText utf8 = GbkToUtf8(gbk.text);
    ASSERT_TRUE(utf8.Ok()) << utf8.error;
    EXPECT_EQ(utf8.text, "口令错误.");
}

struct RefusedCase {
    const char* name;
    std::string utf8;
    const char* expectedError;
};

class Utf8ToGbkRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(Utf8ToGbkRefuses, NamesTheProblemAndConvertsNothing) {
    const platform::ConvertedText converted = Utf8ToGbk(GetParam().utf8);
    EXPECT_FALSE(converted.Ok());
    EXPECT_TRUE(converted.text.empty());
    EXPECT_EQ(converted.error, GetParam().expectedError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToGbkRefuses,
    testing::Values(
        RefusedCase{
            "emoji", "ab\xF0\x9F\x98\x80",
            "the character \"\xF0\x9F\x98\x80\" (U+1F600) at byte 2 cannot be written in GBK"},
        RefusedCase{"hangul", "\xED\x95\x9C",
                    "the character \"\xED\x95\x9C\" (U+D55C) at byte 0 cannot be written in GBK"},
        RefusedCase{"stray continuation", "a\x80", "the text is not valid UTF-8 at byte 1"},
        RefusedCase{"truncated sequence", "ok\xE5\x8F", "the text is not valid UTF-8 at byte 2"},
        RefusedCase{"overlong slash", "\xC0\xAF", "the text is not valid UTF-8 at byte 0"},
        RefusedCase{"surrogate", "\xED\xA0\x80", "the text is not valid UTF-8 at byte 0"}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(GbkCodec, RefusesBytesThatAreNotGbk) {
    const platform::ConvertedText converted = GbkToUtf8("ok\xFF");
    EXPECT_FALSE(converted.Ok());
    EXPECT_EQ(converted.error, "the text is not valid GBK at byte 2");
}

TEST(GbkCodec, DisplayReplacesWhatIsNotGbkAndKeepsTheRest) {
    EXPECT_EQ(platform::GbkToUtf8ForDisplay("a\xFF\xBF\xDA"
                                            "b\xB4"),
              "a\xEF\xBF\xBD口b\xEF\xBF\xBD");
}

TEST(GbkCodec, DisplayInGbkReplacesWhatGbkCannotHoldAndKeepsTheRest) {
    struct Case {
        std::string utf8;
        std::string gbk;
    };
    for (const Case& c : {
             Case{"公告", "\xB9\xAB\xB8\xE6"},
             Case{"a😀b", "a?b"}, // outside GBK
             Case{"a\xFF"
                  "b",
                  "a?b"}, // a byte that starts nothing
             Case{"\xE5\x85"
                  "<",
                  "?"
                  "?"
                  "<"},                       // a cut sequence, then ASCII kept
             Case{"x\xED\xA0\x80y", "x???y"}, // a surrogate, byte by byte
             Case{"", ""},
         }) {
        EXPECT_EQ(platform::Utf8ToGbkForDisplay(c.utf8), c.gbk) << c.utf8;
    }
}

TEST(GbkCodec, EmptyTextConvertsToEmptyText) {
    EXPECT_TRUE(Utf8ToGbk("").Ok());
    EXPECT_TRUE(GbkToUtf8("").Ok());
}

} // namespace
