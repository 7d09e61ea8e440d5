#include "arpguard/LocalIPMACCache.h"

#include "config/ProtectData.h"
#include "platform/FixedMachineIdentity.h"
#include "tests/arpguard/IPMACTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using arpguard::CLocalIPMACCache;
using arpguardtest::Listing;
using testsupport::CTempFolder;
using testsupport::PermissionBits;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

const platform::CFixedMachineIdentity kThisMachine("3d1219c7c4c5404aaa1f6d2a48adfda4");
const platform::CFixedMachineIdentity kOtherMachine("0123456789abcdef0123456789abcdef");
const platform::CFixedMachineIdentity kNoMachine("");

std::string SealedOn(const platform::CMachineIdentity& machine, std::string_view text) {
    std::string sealed;
    EXPECT_TRUE(config::ProtectData(machine, text, sealed));
    return sealed;
}

std::string RandomBytes(std::size_t count) {
    std::mt19937 generator(20261210);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

TEST(LocalIPMACCache, SavesASealedDocumentThatLoadsBackUnchanged) {
    const CTempFolder folder;
    CLocalIPMACCache cache(folder.Path(), kThisMachine);
    ASSERT_EQ(cache.AddText("0a010203", "001a2b3c4d5e"), 0);
    ASSERT_EQ(cache.AddText("cb007101", "02000000aa01"), 0);
    ASSERT_EQ(cache.Save(), 0);

    std::string text;
    std::string error;
    ASSERT_TRUE(config::UnprotectData(kThisMachine, ReadBytes(folder / "imcache"), text, error));
    EXPECT_EQ(text, R"(<IP2MAC><IPMAC ip="0a010203" mac="001a2b3c4d5e"/>)"
                    R"(<IPMAC ip="cb007101" mac="02000000aa01"/></IP2MAC>)" +
                        std::string(1, '\0'));
    EXPECT_EQ(PermissionBits(folder / "imcache"), 0600u);
    EXPECT_EQ(folder.Listing(), "imcache");

    CLocalIPMACCache loaded(folder.Path(), kThisMachine);
    ASSERT_EQ(loaded.AddText("01010101", "010101010101"), 0);
    EXPECT_EQ(loaded.Load(), 0);
    EXPECT_EQ(Listing(loaded), "0a010203=001a2b3c4d5e cb007101=02000000aa01");
}

TEST(LocalIPMACCache, AnEmptyCacheRoundTrips) {
    const CTempFolder folder;
    CLocalIPMACCache cache(folder.Path(), kThisMachine);
    ASSERT_EQ(cache.Save(), 0);
    std::string text;
    std::string error;
    ASSERT_TRUE(config::UnprotectData(kThisMachine, ReadBytes(folder / "imcache"), text, error));
    EXPECT_EQ(text, std::string("<IP2MAC/>") + '\0');
    ASSERT_EQ(cache.AddText("0a010203", "001a2b3c4d5e"), 0);
    EXPECT_EQ(cache.Load(), 0);
    EXPECT_EQ(cache.Size(), 0u);
}

struct UnusableFileCase {
    const char* name;
    std::string bytes; // empty with present false: no file at all
    bool present;
};

class UnusableFile : public ::testing::TestWithParam<UnusableFileCase> {};

TEST_P(UnusableFile, LoadsEmptyWithoutFailing) {
    const CTempFolder folder;
    if (GetParam().present) {
        WriteBytes(folder / "imcache", GetParam().bytes);
    }
    CLocalIPMACCache cache(folder.Path(), kThisMachine);
    ASSERT_EQ(cache.AddText("0a010203", "001a2b3c4d5e"), 0);
    EXPECT_EQ(cache.Load(), 0);
    EXPECT_EQ(cache.Size(), 0u);
}

const std::string kDocument = R"(<IP2MAC><IPMAC ip="0a010203" mac="001a2b3c4d5e"/></IP2MAC>)";

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableFile,
    ::testing::Values(UnusableFileCase{"Missing", "", false}, UnusableFileCase{"Empty", "", true},
                      UnusableFileCase{"FromAnotherMachine", SealedOn(kOtherMachine, kDocument),
                                       true},
                      UnusableFileCase{"RandomBytes", RandomBytes(4096), true},
                      UnusableFileCase{"LargerThanASealedBlock", RandomBytes(70000), true},
                      UnusableFileCase{"PlainDocument", kDocument, true},
                      UnusableFileCase{"SealedNonsense", SealedOn(kThisMachine, "<IP2MAC>"), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocalIPMACCache, AFailedSaveLeavesTheFileAsItWas) {
    const CTempFolder folder;
    const std::string old = SealedOn(kThisMachine, kDocument + '\0');
    WriteBytes(folder / "imcache", old);

    CLocalIPMACCache unsealable(folder.Path(), kNoMachine);
    ASSERT_EQ(unsealable.AddText("0a010204", "001a2b3c4d5e"), 0);
    EXPECT_EQ(unsealable.Save(), -1);

    // Some 900 pairs: more text than Load could unseal again.
    CLocalIPMACCache tooMany(folder.Path(), kThisMachine);
    for (std::uint32_t i = 0; i < 900; ++i) {
        ASSERT_EQ(tooMany.Set(i, std::vector<std::uint8_t>(6, 1)), 0);
    }
    EXPECT_EQ(tooMany.Save(), -1);

    CLocalIPMACCache nowhere(folder / "missing", kThisMachine);
    EXPECT_EQ(nowhere.Save(), -1);

    EXPECT_EQ(ReadBytes(folder / "imcache"), old);
    EXPECT_EQ(folder.Listing(), "imcache");
}

} // namespace
