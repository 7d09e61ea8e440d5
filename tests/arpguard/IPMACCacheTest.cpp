#include "arpguard/IPMACCache.h"

#include "tests/arpguard/IPMACTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using arpguard::CIPMACCache;
using arpguard::kMaxMACLength;
using arpguardtest::CMemoryCache;
using arpguardtest::Ip;
using arpguardtest::Listing;

// --- The text forms --------------------------------------------------------------------------

struct IPTextCase {
    const char* text;
    bool parses;
    const char* address; // dotted, when it parses
};

class IPText : public ::testing::TestWithParam<IPTextCase> {};

TEST_P(IPText, ParsesExactlyEightDigits) {
    std::uint32_t ip = 0x5A5A5A5A;
    ASSERT_EQ(CIPMACCache::ParseIP(GetParam().text, ip), GetParam().parses);
    EXPECT_EQ(ip, GetParam().parses ? Ip(GetParam().address) : 0x5A5A5A5Au);
}

INSTANTIATE_TEST_SUITE_P(Cases, IPText,
                         ::testing::Values(IPTextCase{"0a010203", true, "10.1.2.3"},
                                           IPTextCase{"0A010203", true, "10.1.2.3"},
                                           IPTextCase{"ffffffff", true, "255.255.255.255"},
                                           IPTextCase{"00000000", true, "0.0.0.0"},
                                           // No character is refused: 'g' counts as 48, 'G' as 16.
                                           IPTextCase{"0g0G0203", true, "48.16.2.3"},
                                           IPTextCase{"0a01020", false, ""},
                                           IPTextCase{"0a0102030", false, ""},
                                           IPTextCase{"", false, ""}));

TEST(IPText, FormatsLowercaseFirstOctetFirst) {
    EXPECT_EQ(CIPMACCache::FormatIP(Ip("10.1.2.3")), "0a010203");
    EXPECT_EQ(CIPMACCache::FormatIP(Ip("203.0.113.254")), "cb0071fe");
    EXPECT_EQ(CIPMACCache::FormatIP(0), "00000000");
}

struct MACTextCase {
    const char* text;
    bool parses;
    std::vector<std::uint8_t> bytes;
};

class MACText : public ::testing::TestWithParam<MACTextCase> {};

TEST_P(MACText, ParsesTwoDigitsAByte) {
    std::vector<std::uint8_t> mac{0xEE};
    ASSERT_EQ(CIPMACCache::ParseMAC(GetParam().text, mac), GetParam().parses);
    EXPECT_EQ(mac, GetParam().parses ? GetParam().bytes : std::vector<std::uint8_t>{0xEE});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MACText,
    ::testing::Values(MACTextCase{"001a2b3c4d5e", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
                      MACTextCase{"001A2B3C4D5E", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
                      MACTextCase{"ff", true, {0xFF}},
                      MACTextCase{
                          "00112233445566778899aabb",
                          true,
                          {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB}},
                      MACTextCase{"001a2b3c4d5", false, {}},
                      MACTextCase{"00112233445566778899aabbcc", false, {}}));

TEST(MACText, FormatsLowercaseInByteOrder) {
    const std::array<std::uint8_t, 6> mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    EXPECT_EQ(CIPMACCache::FormatMAC(mac), "001a2b3c4d5e");
    EXPECT_EQ(CIPMACCache::FormatMAC(std::span(mac).first(2)), "001a");
    EXPECT_EQ(CIPMACCache::FormatMAC({}), "");
}

// --- The cache's operations ------------------------------------------------------------------

struct AddTextCase {
    const char* ip;
    const char* mac;
    int result;
    const char* listing;
};

class AddText : public ::testing::TestWithParam<AddTextCase> {};

TEST_P(AddText, AddsOnlyEightAndTwelveDigits) {
    CMemoryCache cache;
    EXPECT_EQ(cache.AddText(GetParam().ip, GetParam().mac), GetParam().result);
    EXPECT_EQ(Listing(cache), GetParam().listing);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddText,
    ::testing::Values(AddTextCase{"0a010203", "001a2b3c4d5e", 0, "0a010203=001a2b3c4d5e"},
                      AddTextCase{"0A010203", "001A2B3C4D5E", 0, "0a010203=001a2b3c4d5e"},
                      AddTextCase{"0a01020", "001a2b3c4d5e", -1, ""},
                      AddTextCase{"0a010203", "001a2b3c4d5e00", -1, ""},
                      AddTextCase{"0a010203", "001a2b3c4d", -1, ""}, AddTextCase{"", "", -1, ""}));

TEST(IPMACCache, LookupCopiesThePairOrWritesNothing) {
    CMemoryCache cache;
    ASSERT_EQ(cache.AddText("0a010203", "001a2b3c4d5e"), 0);
    std::array<std::uint8_t, kMaxMACLength> mac{};
    mac.fill(0xEE);
    std::uint32_t length = 99;
    EXPECT_EQ(cache.Lookup(Ip("10.1.2.4"), mac, length), -1);
    EXPECT_EQ(length, 99u);
    EXPECT_EQ(mac[0], 0xEE);
    ASSERT_EQ(cache.Lookup(Ip("10.1.2.3"), mac, length), 0);
    ASSERT_EQ(length, 6u);
    EXPECT_EQ(CIPMACCache::FormatMAC(std::span(mac).first(length)), "001a2b3c4d5e");
    EXPECT_EQ(mac[6], 0xEE);
}

TEST(IPMACCache, SetReplacesBytesAndLengthAndRefusesMoreThanTwelve) {
    CMemoryCache cache;
    const std::array<std::uint8_t, 13> bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    EXPECT_EQ(cache.Set(Ip("10.0.0.1"), bytes), -1);
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(cache.Set(Ip("10.0.0.1"), std::span(bytes).first(12)), 0);
    EXPECT_EQ(cache.Set(Ip("10.0.0.1"), std::span(bytes).subspan(8, 2)), 0);
    EXPECT_EQ(Listing(cache), "0a000001=090a");
}

TEST(IPMACCache, CopyToReplacesEqualAddressesAndKeepsTheOthers) {
    CMemoryCache source;
    ASSERT_EQ(source.AddText("0a000001", "111111111111"), 0);
    ASSERT_EQ(source.AddText("0a000002", "222222222222"), 0);
    CMemoryCache destination;
    ASSERT_EQ(destination.AddText("0a000002", "999999999999"), 0);
    ASSERT_EQ(destination.AddText("0a000003", "333333333333"), 0);
    EXPECT_EQ(source.CopyTo(destination), 0);
    EXPECT_EQ(Listing(destination),
              "0a000001=111111111111 0a000002=222222222222 0a000003=333333333333");
    EXPECT_EQ(Listing(source), "0a000001=111111111111 0a000002=222222222222");
}

// --- The document ----------------------------------------------------------------------------

struct DocumentCase {
    const char* name;
    std::string text;
    bool wellFormed;
    const char* listing;
};

class ReadDocument : public ::testing::TestWithParam<DocumentCase> {};

TEST_P(ReadDocument, TakesTheUsableEntriesOnly) {
    CMemoryCache cache;
    ASSERT_EQ(cache.AddText("01010101", "010101010101"), 0);
    EXPECT_EQ(cache.ReadDocument(GetParam().text), GetParam().wellFormed);
    EXPECT_EQ(Listing(cache), GetParam().listing);
}

const std::string kPairA = R"(<IPMAC ip="0a010203" mac="001a2b3c4d5e"/>)";
const std::string kPairB = R"(<IPMAC mac="AABBCCDDEEFF" ip="0A010204" note="x"/>)";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadDocument,
    ::testing::Values(
        DocumentCase{"TwoPairsAttributesInAnyOrder", "<IP2MAC>" + kPairA + kPairB + "</IP2MAC>",
                     true, "0a010203=001a2b3c4d5e 0a010204=aabbccddeeff"},
        DocumentCase{"DeclarationAndNulEnd",
                     "<?xml version=\"1.0\"?><IP2MAC>" + kPairA + "</IP2MAC>" +
                         std::string(1, '\0') + "junk",
                     true, "0a010203=001a2b3c4d5e"},
        DocumentCase{"EmptyRoot", "<IP2MAC/>", true, ""},
        DocumentCase{"WrongLengthsSkipped",
                     R"(<IP2MAC><IPMAC ip="0a01020" mac="001a2b3c4d5e"/>)" + kPairA +
                         R"(<IPMAC ip="0a010205" mac="001a2b3c4d5e00"/></IP2MAC>)",
                     true, "0a010203=001a2b3c4d5e"},
        DocumentCase{"MissingAttributesNeverBorrowAnEarlierText",
                     "<IP2MAC>" + kPairA +
                         R"(<IPMAC ip="0a010206"/><IPMAC mac="00aabbccddee"/></IP2MAC>)",
                     true, "0a010203=001a2b3c4d5e"},
        DocumentCase{"OverlongValueSkipped",
                     R"(<IP2MAC><IPMAC ip="0a0102030000000000000" mac="001a2b3c4d5e"/>)" + kPairB +
                         "</IP2MAC>",
                     true, "0a010204=aabbccddeeff"},
        DocumentCase{"SameAddressTwiceTheLaterWins",
                     "<IP2MAC>" + kPairA + R"(<IPMAC ip="0a010203" mac="0000000000ff"/></IP2MAC>)",
                     true, "0a010203=0000000000ff"},
        DocumentCase{"OtherRootOrDepthNotSelected", "<Other>" + kPairA + "</Other>", true, ""},
        DocumentCase{"NestedEntryNotSelected", "<IP2MAC><x>" + kPairA + "</x></IP2MAC>", true, ""},
        DocumentCase{"NotWellFormed", "<IP2MAC>" + kPairA, false, ""},
        DocumentCase{"TwoRoots",
                     "<IP2MAC/>"
                     "<IP2MAC>" +
                         kPairA + "</IP2MAC>",
                     false, ""},
        DocumentCase{"AttributeTwice",
                     R"(<IP2MAC><IPMAC ip="0a010203" ip="0a010204" mac="001a2b3c4d5e"/></IP2MAC>)",
                     false, ""},
        DocumentCase{"Empty", "", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteDocument, WritesIpThenMacInAddressOrderWithoutDeclaration) {
    CMemoryCache cache;
    ASSERT_EQ(cache.AddText("c0000201", "0000000000ff"), 0);
    ASSERT_EQ(cache.AddText("0a010203", "001a2b3c4d5e"), 0);
    std::string text;
    ASSERT_TRUE(cache.WriteDocument(text));
    EXPECT_EQ(text, R"(<IP2MAC><IPMAC ip="0a010203" mac="001a2b3c4d5e"/>)"
                    R"(<IPMAC ip="c0000201" mac="0000000000ff"/></IP2MAC>)");
    CMemoryCache read;
    ASSERT_TRUE(read.ReadDocument(text));
    EXPECT_EQ(Listing(read), Listing(cache));
}

TEST(WriteDocument, WritesAnEmptyRootForAnEmptyCache) {
    const CMemoryCache cache;
    std::string text;
    ASSERT_TRUE(cache.WriteDocument(text));
    EXPECT_EQ(text, "<IP2MAC/>");
    CMemoryCache read;
    ASSERT_EQ(read.AddText("0a010203", "001a2b3c4d5e"), 0);
    ASSERT_TRUE(read.ReadDocument(text));
    EXPECT_EQ(read.Size(), 0u);
}

} // namespace
