#include "announce/AnnouncementDocument.h"

#include "platform/GbkCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using announce::CVORNNotificationMessage;

struct Fields {
    std::string title;
    std::string body;
    std::string url;

    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& fields, std::ostream* out) {
    *out << "{" << fields.title << " | " << fields.body << " | " << fields.url << "}";
}

// The records of list, converted to UTF-8 for comparing with the cases.
std::vector<Fields> Read(const CVORNNotificationMessage& list) {
    std::vector<Fields> read;
    for (const CVORNNotificationMessage& record : list.Records()) {
        EXPECT_FALSE(record.IsShown());
        read.push_back({platform::GbkToUtf8ForDisplay(record.Title()),
                        platform::GbkToUtf8ForDisplay(record.Body()),
                        platform::GbkToUtf8ForDisplay(record.Url())});
    }
    return read;
}

std::string Message(const std::string& title, const std::string& url = "http://u/") {
    return "<message><title>" + title + "</title><url>" + url + "</url></message>";
}

std::string MessageList(int first, int last) {
    std::string document = "<message-list>";
    for (int i = first; i <= last; ++i) {
        document += Message("t" + std::to_string(i));
    }
    return document + "</message-list>";
}

std::vector<Fields> Titled(int first, int last) {
    std::vector<Fields> fields;
    for (int i = first; i <= last; ++i) {
        fields.push_back({"t" + std::to_string(i), "", "http://u/"});
    }
    return fields;
}

struct ParseCase {
    const char* name;
    std::string document; // UTF-8, sent as GBK
    std::vector<Fields> expected;
};

class AnnouncementDocument : public testing::TestWithParam<ParseCase> {};

TEST_P(AnnouncementDocument, GivesTheAnnouncementsInDocumentOrder) {
    CVORNNotificationMessage list;
    list.AddCopy({"left over", "", "u"}); // a parse starts from an empty list
    announce::ParseAnnouncementDocument(platform::GbkFromLiteral(GetParam().document), list);
    EXPECT_EQ(Read(list), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnnouncementDocument,
    testing::Values(
        ParseCase{"three_fields",
                  "<?xml version=\"1.0\"?><message-list><message><title>停电通知</title>"
                  "<body>周六停电</body><url>http://gw/n/1</url></message></message-list>",
                  {{"停电通知", "周六停电", "http://gw/n/1"}}},
        ParseCase{"empty_list", "<message-list/>", {}},
        ParseCase{
            "empty_list_with_children", "<message-list>\n  <!-- none -->\n</message-list>", {}},
        ParseCase{"same_title_first_survives",
                  "<message-list>" + Message("A", "http://1/") + Message("A", "http://2/") +
                      "</message-list>",
                  {{"A", "", "http://1/"}}},
        ParseCase{"more_than_ten_last_ten_survive", MessageList(1, 12), Titled(3, 12)},
        ParseCase{"untitled_messages_all_kept",
                  "<message-list>" + Message("") + Message("") + Message("x", "") +
                      "</message-list>",
                  {{"", "", "http://u/"}, {"", "", "http://u/"}, {"x", "", ""}}},
        ParseCase{"missing_fields_empty",
                  "<message-list><message><body>only a body</body></message></message-list>",
                  {{"", "only a body", ""}}},
        ParseCase{"other_letter_case_ignored",
                  "<message-list><message><Title>T</Title><URL>http://x/</URL>"
                  "<title>t</title><Body>b</Body></message></message-list>",
                  {{"t", "", ""}}},
        ParseCase{"namespace_prefix_ignored",
                  "<message-list xmlns:a=\"urn:a\"><message><a:title>T</a:title>"
                  "<b:url xmlns:b=\"urn:b\">http://x/</b:url></message></message-list>",
                  {{"T", "", "http://x/"}}},
        ParseCase{"last_occurrence_wins",
                  "<message-list><message><title>old</title><url>http://1/</url>"
                  "<title>new</title></message></message-list>",
                  {{"new", "", "http://1/"}}},
        ParseCase{"other_children_ignored",
                  "<message-list><message><date>today</date>" + Message("T") + "</message>" +
                      "<notice>" + Message("N") + "</notice>" + Message("M") + "</message-list>",
                  {{"", "", ""}, {"M", "", "http://u/"}}},
        ParseCase{"text_of_descendants_trimmed",
                  "<message-list><message><title>\n  <b>Big</b> news <![CDATA[<now>]]>\n"
                  "</title><url> http://u/ </url></message></message-list>",
                  {{"Big news <now>", "", "http://u/"}}},
        ParseCase{"entities_and_references",
                  "<message-list><message><title>a &amp; b &#x516C;&#21578;</title>"
                  "</message></message-list>",
                  {{"a & b 公告", "", ""}}},
        ParseCase{"character_outside_gbk",
                  "<message-list>" + Message("x&#x1F600;y") + "</message-list>",
                  {{"x?y", "", "http://u/"}}},
        ParseCase{"other_root_nothing", "<messages>" + Message("T") + "</messages>", {}},
        ParseCase{"nested_list_not_selected",
                  "<root><message-list>" + Message("T") + "</message-list></root>",
                  {}},
        ParseCase{"not_well_formed", "<message-list>" + Message("T"), {}},
        ParseCase{"not_xml", "not found\n", {}}, ParseCase{"empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnnouncementBytes, AreGbkWhateverTheDeclarationSays) {
    // "公告" in GBK, under a declaration that claims UTF-8.
    const std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><message-list>"
                                 "<message><title>\xB9\xAB\xB8\xE6</title><url>u</url>"
                                 "</message></message-list>";
    CVORNNotificationMessage list;
    announce::ParseAnnouncementDocument(document, list);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Records().front().Title(), "\xB9\xAB\xB8\xE6");
}

TEST(AnnouncementBytes, EndAtTheFirstNulAndBadBytesBecomeQuestionMarks) {
    const std::string document = "<message-list><message><title>a\xFF"
                                 "b</title><url>u</url></message></message-list>";
    CVORNNotificationMessage list;
    announce::ParseAnnouncementDocument(document, list);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Records().front().Title(), "a?b");

    announce::ParseAnnouncementDocument(std::string("<message-list>") + Message("T") +
                                            std::string(1, '\0') + "</message-list>",
                                        list);
    EXPECT_EQ(list.Count(), 0u);
}

} // namespace
