#include "announce/VORNNotificationMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using announce::CVORNNotificationMessage;

CVORNNotificationMessage Record(const std::string& title, const std::string& url = "u") {
    return {title, "body of " + title, url};
}

std::vector<std::string> Titles(const CVORNNotificationMessage& list) {
    std::vector<std::string> titles;
    for (const CVORNNotificationMessage& record : list.Records()) {
        titles.push_back(record.Title());
    }
    return titles;
}

CVORNNotificationMessage ListOf(int count) {
    CVORNNotificationMessage list;
    for (int i = 1; i <= count; ++i) {
        EXPECT_TRUE(list.AddCopy(Record("t" + std::to_string(i))));
    }
    return list;
}

struct SameCase {
    const char* name;
    CVORNNotificationMessage left;
    CVORNNotificationMessage right;
    bool leftValid;
    bool same;
};

class RecordsCompare : public testing::TestWithParam<SameCase> {};

TEST_P(RecordsCompare, ByTheirTitlesOnlyWhenBothAreValid) {
    const SameCase& c = GetParam();
    EXPECT_EQ(c.left.IsValid(), c.leftValid);
    EXPECT_EQ(c.left.IsSame(c.right), c.same);
    EXPECT_EQ(c.right.IsSame(c.left), c.same);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordsCompare,
    testing::Values(SameCase{"same_title", {"A", "x", "u1"}, {"A", "y", "u2"}, true, true},
                    SameCase{"other_title", {"A", "", "u"}, {"B", "", "u"}, true, false},
                    SameCase{"other_case", {"A", "", "u"}, {"a", "", "u"}, true, false},
                    SameCase{"no_url", {"A", "b", ""}, {"A", "b", ""}, false, false},
                    SameCase{"no_title", {"", "b", "u"}, {"", "b", "u"}, false, false},
                    SameCase{"one_invalid", {"A", "", "u"}, {"A", "", ""}, true, false},
                    SameCase{"head", {}, {}, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NotificationRecord, WithoutTitleIsNotEvenItself) {
    const CVORNNotificationMessage untitled("", "b", "u");
    EXPECT_FALSE(untitled.IsSame(untitled));
    const CVORNNotificationMessage valid("A", "b", "u");
    EXPECT_TRUE(valid.IsSame(valid));
}

TEST(NotificationList, StartsEmptyAndCountsItsRecords) {
    CVORNNotificationMessage list;
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.FirstUnshown(), nullptr);
    list = ListOf(3);
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"t1", "t2", "t3"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
}

TEST(NotificationList, RemovesAtMostWhatItHoldsFromTheFront) {
    struct Case {
        std::size_t remove;
        std::vector<std::string> left;
    };
    for (const Case& c :
         {Case{0, {"t1", "t2", "t3"}}, Case{1, {"t2", "t3"}}, Case{3, {}}, Case{99, {}}}) {
        CVORNNotificationMessage list = ListOf(3);
        list.RemoveFirst(c.remove);
        EXPECT_EQ(Titles(list), c.left) << c.remove;
    }
}

TEST(NotificationList, KeepsTheLastTenAddedCopies) {
    const CVORNNotificationMessage list = ListOf(13);
    EXPECT_EQ(list.Count(), CVORNNotificationMessage::kMaxCount);
    EXPECT_EQ(Titles(list).front(), "t4");
    EXPECT_EQ(Titles(list).back(), "t13");
}

TEST(NotificationList, AddCopyKeepsItsOwnUnshownCopyOfTheTextsOnly) {
    CVORNNotificationMessage original("T", "B", "U");
    original.MarkShown();
    ASSERT_TRUE(original.AddCopy(Record("inner"))); // a record that heads a list itself
    CVORNNotificationMessage list;
    ASSERT_TRUE(list.AddCopy(original));
    original = CVORNNotificationMessage("changed", "", "");

    ASSERT_EQ(list.Count(), 1u);
    const CVORNNotificationMessage& copy = list.Records().front();
    EXPECT_EQ(copy.Title(), "T");
    EXPECT_EQ(copy.Body(), "B");
    EXPECT_EQ(copy.Url(), "U");
    EXPECT_FALSE(copy.IsShown());
    EXPECT_EQ(copy.Count(), 0u);
}

TEST(NotificationList, AddRefusesAKnownAnnouncementButTakesEveryInvalidOne) {
    CVORNNotificationMessage list;
    EXPECT_TRUE(list.Add(Record("A")));
    EXPECT_FALSE(list.Add(Record("A", "other url")));
    EXPECT_TRUE(list.Contains(Record("A")));
    EXPECT_TRUE(list.Add(Record("B")));
    EXPECT_TRUE(list.Add(Record("", "u")));
    EXPECT_TRUE(list.Add(Record("", "u")));
    EXPECT_FALSE(list.Contains(Record("", "u")));
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"A", "B", "", ""}));
}

TEST(NotificationList, InvalidRecordsPushTheOldestOutOfAFullList) {
    CVORNNotificationMessage list = ListOf(10);
    EXPECT_FALSE(list.Add(Record("t5"))); // known: nothing added, nothing pushed out
    EXPECT_EQ(Titles(list).front(), "t1");
    EXPECT_TRUE(list.Add(Record("T", "")));
    EXPECT_EQ(list.Count(), 10u);
    EXPECT_EQ(Titles(list).front(), "t2");
    EXPECT_EQ(Titles(list).back(), "T");
}

TEST(NotificationList, TakesTheUnshownFromTheFrontOneByOne) {
    CVORNNotificationMessage list = ListOf(3);
    list.MarkShown(); // the head's own flag is no record's
    CVORNNotificationMessage* first = list.FirstUnshown();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Title(), "t1");
    EXPECT_EQ(list.FirstUnshown(), first); // looking does not take
    EXPECT_EQ(list.TakeFirstUnshown(), first);
    EXPECT_TRUE(first->IsShown());
    list.FirstUnshown()->MarkShown(); // t2
    CVORNNotificationMessage* third = list.TakeFirstUnshown();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->Title(), "t3");
    EXPECT_EQ(list.TakeFirstUnshown(), nullptr);
}

} // namespace
