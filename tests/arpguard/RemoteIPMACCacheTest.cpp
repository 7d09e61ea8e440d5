#include "arpguard/RemoteIPMACCache.h"

#include "tests/arpguard/IPMACTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using arpguard::CRemoteIPMACCache;
using arpguardtest::CListSite;
using arpguardtest::ListDocument;
using arpguardtest::Listing;

const std::string kSentinelPair = "c0000201=0000005e0001";

std::string Scrambled(std::string text) {
    for (char& byte : text) {
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ arpguard::kListScramble);
    }
    return text;
}

// A list of exactly size bytes: the document padded with blanks inside the root.
std::string ListOfSize(std::size_t size) {
    std::string document = ListDocument({{"0a010203", "001a2b3c4d5e"}});
    document.insert(document.size() - std::string("</IP2MAC>").size(), size - document.size(), ' ');
    return document;
}

struct ListCase {
    const char* name;
    std::optional<std::string> file; // what gatewayd serves; nothing for a 404
    int result;
    const char* listing; // the pairs after a Load that answered 0
};

class RemoteList : public testing::TestWithParam<ListCase> {};

TEST_P(RemoteList, LoadsOnlyAWholeListWithTheSentinel) {
    const CListSite site;
    ASSERT_TRUE(site.Ok());
    if (GetParam().file) {
        site.SetList(*GetParam().file);
    }
    CRemoteIPMACCache cache("127.0.0.1", site.Port());
    EXPECT_EQ(cache.Load(), GetParam().result) << cache.LastError();
    if (GetParam().result == 0) {
        EXPECT_EQ(Listing(cache), GetParam().listing);
    } else {
        EXPECT_NE(cache.LastError(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoteList,
    testing::Values(
        ListCase{"SentinelAndTwoPairs",
                 ListDocument({{"0a010203", "001a2b3c4d5e"}, {"cb007101", "02005e005301"}}), 0,
                 "0a010203=001a2b3c4d5e c0000201=0000005e0001 cb007101=02005e005301"},
        ListCase{"WithoutTheSentinel",
                 ListDocument({{"0a010203", "001a2b3c4d5e"}, {"cb007101", "02005e005301"}}, false),
                 -1, ""},
        // gatewayd scrambles what it serves: a file scrambled beforehand goes out plain.
        ListCase{"SentUnscrambled", Scrambled(ListDocument({{"0a010203", "001a2b3c4d5e"}})), -1,
                 ""},
        ListCase{"NotFound", std::nullopt, -1, ""},
        ListCase{"ExactlyTheBound", ListOfSize(arpguard::kMaxListBytes), 0,
                 "0a010203=001a2b3c4d5e c0000201=0000005e0001"},
        ListCase{"PastTheBound", ListOfSize(arpguard::kMaxListBytes + 1), -1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RemoteIPMACCache, DownloadListUnscramblesTheBodyAndSaysWhetherItIsWhole) {
    const CListSite site;
    ASSERT_TRUE(site.Ok());
    site.SetList(ListOfSize(arpguard::kMaxListBytes + 10));
    CRemoteIPMACCache cache("127.0.0.1", site.Port());
    std::string body;
    bool whole = true;
    ASSERT_EQ(cache.DownloadList(body, whole), 0);
    EXPECT_FALSE(whole);
    EXPECT_EQ(body, ListOfSize(arpguard::kMaxListBytes + 10).substr(0, arpguard::kMaxListBytes));
    site.SetList("<IP2MAC/>");
    ASSERT_EQ(cache.DownloadList(body, whole), 0);
    EXPECT_TRUE(whole);
    EXPECT_EQ(body, "<IP2MAC/>");
}

TEST(RemoteIPMACCache, AServerThatIsNotThereGivesNoList) {
    std::uint16_t port = 0;
    {
        const CListSite gone;
        ASSERT_TRUE(gone.Ok());
        port = gone.Port();
    }
    CRemoteIPMACCache cache("127.0.0.1", port);
    EXPECT_EQ(cache.Load(), -1);
    EXPECT_NE(cache.LastError().find("could not be downloaded"), std::string::npos)
        << cache.LastError();
}

TEST(RemoteIPMACCache, SaveWritesNothingBack) {
    CRemoteIPMACCache cache("127.0.0.1", 9);
    ASSERT_EQ(cache.AddText("0a010203", "001a2b3c4d5e"), 0);
    EXPECT_EQ(cache.Save(), -1);
    EXPECT_EQ(Listing(cache), "0a010203=001a2b3c4d5e");
}

TEST(RemoteIPMACCache, TheSentinelIsTheBuildsDocumentationAddressByDefault) {
    EXPECT_EQ(arpguard::DottedIP(arpguard::kIPMACSentinel), VORN_IPMAC_SENTINEL_TEXT);
}

} // namespace
