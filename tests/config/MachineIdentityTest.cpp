#include "platform/FileMachineIdentity.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace {

constexpr const char* kFirstId = "3d1219c7c4c5404aaa1f6d2a48adfda4";
constexpr const char* kSecondId = "0123456789abcdef0123456789abcdef";

// The contents of the systemd file and of the D-Bus file; nullopt for a missing file.
struct IdentityCase {
    const char* name;
    std::optional<std::string> systemdFile;
    std::optional<std::string> dbusFile;
    std::optional<std::string> expected; // nullopt: the machine has no identity
};

void PrintTo(const IdentityCase& identityCase, std::ostream* out) {
    *out << identityCase.name;
}

class FileMachineIdentity : public testing::TestWithParam<IdentityCase> {};

TEST_P(FileMachineIdentity, TakesTheFirstFileThatHoldsAMachineId) {
    const IdentityCase& identityCase = GetParam();
    testsupport::CTempFolder folder;
    if (identityCase.systemdFile) {
        testsupport::WriteBytes(folder / "machine-id", *identityCase.systemdFile);
    }
    if (identityCase.dbusFile) {
        testsupport::WriteBytes(folder / "dbus-machine-id", *identityCase.dbusFile);
    }
    const platform::CFileMachineIdentity machine(
        {folder / "machine-id", folder / "dbus-machine-id"});

    std::string identity = "untouched";
    std::string error;
    const bool read = machine.Read(identity, error);

    ASSERT_EQ(read, identityCase.expected.has_value());
    if (read) {
        EXPECT_EQ(identity, *identityCase.expected);
    } else {
        EXPECT_EQ(identity, "untouched");
        EXPECT_FALSE(error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileMachineIdentity,
    testing::Values(
        IdentityCase{"systemd", std::string(kFirstId) + "\n", std::string(kSecondId) + "\n",
                     kFirstId},
        IdentityCase{"upper_case_reads_as_lower", "3D1219C7C4C5404AAA1F6D2A48ADFDA4\n",
                     std::nullopt, kFirstId},
        IdentityCase{"dbus_when_systemd_missing", std::nullopt, std::string(kSecondId) + "\n",
                     kSecondId},
        IdentityCase{"dbus_when_systemd_uninitialized", "uninitialized\n", std::string(kSecondId),
                     kSecondId},
        IdentityCase{"dbus_when_systemd_empty", "", std::string(kSecondId) + "\n", kSecondId},
        IdentityCase{"too_short", "3d1219c7c4c5404aaa1f6d2a48adfda\n", std::nullopt, std::nullopt},
        IdentityCase{"not_hexadecimal", "3d1219c7c4c5404aaa1f6d2a48adfdag\n", std::nullopt,
                     std::nullopt},
        IdentityCase{"neither_file", std::nullopt, std::nullopt, std::nullopt}),
    [](const testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

} // namespace
