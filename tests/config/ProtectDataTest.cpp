#include "config/ProtectData.h"

#include "platform/FixedMachineIdentity.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const platform::CFixedMachineIdentity kThisMachine("3d1219c7c4c5404aaa1f6d2a48adfda4");
const platform::CFixedMachineIdentity kOtherMachine("0123456789abcdef0123456789abcdef");
const platform::CFixedMachineIdentity kNoIdentity("");

std::string Seal(std::string_view data) {
    std::string sealed;
    std::string error;
    EXPECT_TRUE(config::ProtectData(kThisMachine, data, sealed, &error)) << error;
    return sealed;
}

// The bytes a block adds to the data it seals.
std::size_t Overhead() {
    return Seal("").size();
}

class ProtectDataRoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(ProtectDataRoundTrip, GivesBackTheSameBytesOnTheSameMachine) {
    const std::string sealed = Seal(GetParam());
    std::string data = "old";
    std::string error;
    ASSERT_TRUE(config::UnprotectData(kThisMachine, sealed, data, error)) << error;
    EXPECT_EQ(data, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Blocks, ProtectDataRoundTrip,
                         testing::Values(std::string(), std::string("a"),
                                         std::string("\xD5\xC5\0\xC8\xFD\n", 6),
                                         std::string(config::kUnprotectedDataLimit - 1, 'x')));

TEST(ProtectData, BlockCarriesTheDescriptionButNotTheData) {
    const std::string sealed = Seal("secret password");
    EXPECT_NE(sealed.find(config::kProtectedDataDescription), std::string::npos);
    EXPECT_EQ(sealed.find("secret"), std::string::npos);
}

TEST(ProtectData, SealsTheSameDataDifferentlyEachTime) {
    EXPECT_NE(Seal("same data"), Seal("same data"));
}

TEST(ProtectData, AnotherMachineCannotUnseal) {
    const std::string sealed = Seal("settings");
    std::string data = "untouched";
    std::string error;
    EXPECT_FALSE(config::UnprotectData(kOtherMachine, sealed, data, error));
    EXPECT_EQ(error, "Protect Data fails");
    EXPECT_EQ(data, "untouched");
}

TEST(ProtectData, AMachineWithoutIdentityCanNeitherSealNorUnseal) {
    std::string sealed = "untouched";
    std::string error;
    EXPECT_FALSE(config::ProtectData(kNoIdentity, "settings", sealed, &error));
    EXPECT_EQ(error, "Protect Data fails");
    EXPECT_EQ(sealed, "untouched");

    std::string data;
    error.clear();
    EXPECT_FALSE(config::UnprotectData(kNoIdentity, Seal("settings"), data, error));
    EXPECT_EQ(error, "Protect Data fails");
}

TEST(ProtectData, FailsSilentlyWithoutAnErrorText) {
    std::string sealed;
    EXPECT_FALSE(config::ProtectData(kNoIdentity, "settings", sealed));
    EXPECT_FALSE(
        config::ProtectData(kThisMachine, std::string(config::kProtectedDataLimit, 'x'), sealed));
    EXPECT_TRUE(sealed.empty());
}

TEST(ProtectData, RefusesABlockThatWouldReachTheSealedLimit) {
    const std::size_t largest = config::kProtectedDataLimit - 1 - Overhead();
    std::string sealed;
    std::string error;
    ASSERT_TRUE(config::ProtectData(kThisMachine, std::string(largest, 'x'), sealed, &error));
    EXPECT_EQ(sealed.size(), config::kProtectedDataLimit - 1);

    sealed = "untouched";
    EXPECT_FALSE(config::ProtectData(kThisMachine, std::string(largest + 1, 'x'), sealed, &error));
    EXPECT_EQ(error, "protected data is too large");
    EXPECT_EQ(sealed, "untouched");
}

TEST(ProtectData, UnsealingRefusesDataThatReachesTheUnsealedLimit) {
    const std::string sealed = Seal(std::string(config::kUnprotectedDataLimit, 'x'));
    std::string data = "untouched";
    std::string error;
    EXPECT_FALSE(config::UnprotectData(kThisMachine, sealed, data, error));
    EXPECT_EQ(error, "unprotected data is too large");
    EXPECT_EQ(data, "untouched");
}

// A change to a block: one byte flipped at an offset, or the block cut to a length. Both
// count from the block's start, or from its end when negative.
struct DamageCase {
    const char* name;
    bool cut;
    long at;
};

void PrintTo(const DamageCase& damage, std::ostream* out) {
    *out << damage.name;
}

class ProtectDataDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(ProtectDataDamage, IsNoticed) {
    std::string sealed = Seal("<VORNClientConfig/>");
    const DamageCase& damage = GetParam();
    const auto offset = static_cast<std::size_t>(
        damage.at >= 0 ? damage.at : static_cast<long>(sealed.size()) + damage.at);
    if (damage.cut) {
        sealed.resize(offset);
    } else {
        sealed[offset] ^= 0x01;
    }
    std::string data = "untouched";
    std::string error;
    EXPECT_FALSE(config::UnprotectData(kThisMachine, sealed, data, error));
    EXPECT_EQ(error, "Protect Data fails");
    EXPECT_EQ(data, "untouched");
}

// Offsets inside the header follow the layout: magic 8, version 1, length 2, description.
constexpr long kDescriptionStart = 11;
constexpr long kHeaderEnd = kDescriptionStart + 25;

INSTANTIATE_TEST_SUITE_P(
    Blocks, ProtectDataDamage,
    testing::Values(DamageCase{"magic", false, 0}, DamageCase{"version", false, 8},
                    DamageCase{"description_length", false, 10},
                    DamageCase{"description", false, kDescriptionStart},
                    DamageCase{"salt", false, kHeaderEnd},
                    DamageCase{"nonce", false, kHeaderEnd + 16},
                    DamageCase{"data", false, kHeaderEnd + 28}, DamageCase{"tag", false, -1},
                    DamageCase{"empty", true, 0}, DamageCase{"header_only", true, kHeaderEnd},
                    DamageCase{"one_byte_short", true, -1}),
    [](const testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

} // namespace
