#include "platform/WorkingDirectory.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <ostream>
#include <string>

namespace {

using testsupport::CTempFolder;
using testsupport::PermissionBits;
using testsupport::ReadBytes;

// An environment of the test's own instead of the process's.
platform::Environment EnvironmentOf(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    };
}

struct BaseFolderCase {
    const char* name;
    std::map<std::string, std::string> variables;
    const char* expected;
};

void PrintTo(const BaseFolderCase& param, std::ostream* out) {
    *out << param.name;
}

class XdgBaseFolderTest : public testing::TestWithParam<BaseFolderCase> {};

TEST_P(XdgBaseFolderTest, TakesAnAbsoluteValueElseTheHomeFolder) {
    const auto& param = GetParam();
    EXPECT_EQ(
        platform::XdgBaseFolder(EnvironmentOf(param.variables), "XDG_DATA_HOME", ".local/share"),
        std::filesystem::path(param.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XdgBaseFolderTest,
    testing::Values(
        BaseFolderCase{"Set", {{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}}, "/data"},
        BaseFolderCase{"Unset", {{"HOME", "/home/u"}}, "/home/u/.local/share"},
        BaseFolderCase{
            "Empty", {{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}}, "/home/u/.local/share"},
        BaseFolderCase{
            "Relative", {{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}}, "/home/u/.local/share"},
        BaseFolderCase{"NoHome", {}, ""}, BaseFolderCase{"RelativeHome", {{"HOME", "home/u"}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A prefix with the programs' bin folder and, when installed, share/vornclient holding the
// settings document and one script.
class WorkingDirectoryTest : public testing::Test {
protected:
    void Install() {
        const auto share = m_root / "prefix" / "share" / "vornclient";
        std::filesystem::create_directories(share);
        testsupport::WriteBytes(share / "config.xml", kConfig);
        testsupport::WriteBytes(share / "ping-script.sh", kScript);
        std::filesystem::permissions(share / "ping-script.sh",
                                     std::filesystem::perms::owner_exec |
                                         std::filesystem::perms::group_exec |
                                         std::filesystem::perms::others_exec,
                                     std::filesystem::perm_options::add);
    }

    platform::CWorkingDirectory Places() const {
        return platform::CWorkingDirectory(Bin(), EnvironmentOf({{"HOME", Home()}}));
    }

    std::filesystem::path Bin() const { return m_root / "prefix" / "bin"; }
    std::string Home() const { return (m_root / "home").string(); }
    std::filesystem::path UserFolder() const {
        return m_root / "home" / ".local" / "share" / "vornclient";
    }

    static constexpr const char* kConfig = "<VORNClientConfig/>";
    static constexpr const char* kScript = "#!/bin/sh\nping \"$@\"\n";

    CTempFolder m_root;

    void SetUp() override { std::filesystem::create_directories(Bin()); }
};

TEST_F(WorkingDirectoryTest, BuildTreeWorksInTheCurrentDirectoryOrTheRequestedOne) {
    const platform::CWorkingDirectory places = Places();
    EXPECT_TRUE(places.Installation().empty());
    EXPECT_EQ(places.InstalledConfig(), Bin() / "config.xml");
    for (const std::filesystem::path requested : {"", "/srv/client"}) {
        std::filesystem::path chosen = "unchanged";
        std::string error;
        ASSERT_TRUE(places.Choose(requested, chosen, error)) << error;
        EXPECT_EQ(chosen, requested);
    }
    EXPECT_FALSE(std::filesystem::exists(m_root / "home"));
}

TEST_F(WorkingDirectoryTest, InstallationFillsThePerUserFolderOnce) {
    Install();
    const platform::CWorkingDirectory places = Places();
    EXPECT_EQ(places.Installation(), m_root / "prefix" / "share" / "vornclient");
    EXPECT_EQ(places.InstalledConfig(), places.Installation() / "config.xml");
    std::filesystem::path chosen;
    std::string error;
    ASSERT_TRUE(places.Choose("", chosen, error)) << error;
    EXPECT_EQ(chosen, UserFolder());
    EXPECT_EQ(PermissionBits(chosen), 0700u);
    EXPECT_EQ(ReadBytes(chosen / "config.xml"), kConfig);
    EXPECT_EQ(PermissionBits(chosen / "config.xml"), 0600u);
    EXPECT_EQ(ReadBytes(chosen / "ping-script.sh"), kScript);
    EXPECT_EQ(PermissionBits(chosen / "ping-script.sh"), 0700u);
    // Only what the installation holds, and no temporary file.
    EXPECT_EQ(testsupport::Listing(chosen), "config.xml ping-script.sh");

    // The user's own document stays; a file the user lost comes back.
    testsupport::WriteBytes(chosen / "config.xml", "<VORNClientConfig><Log/></VORNClientConfig>");
    std::filesystem::remove(chosen / "ping-script.sh");
    ASSERT_TRUE(places.Choose("", chosen, error)) << error;
    EXPECT_EQ(ReadBytes(chosen / "config.xml"), "<VORNClientConfig><Log/></VORNClientConfig>");
    EXPECT_EQ(ReadBytes(chosen / "ping-script.sh"), kScript);
}

TEST_F(WorkingDirectoryTest, RequestedFolderWinsOverThePerUserOne) {
    Install();
    std::filesystem::path chosen;
    std::string error;
    ASSERT_TRUE(Places().Choose("/srv/client", chosen, error)) << error;
    EXPECT_EQ(chosen, "/srv/client");
    EXPECT_FALSE(std::filesystem::exists(m_root / "home"));
}

TEST_F(WorkingDirectoryTest, PerUserFolderThatCannotBeMadeIsAnError) {
    Install();
    // A file where the data folder should be stops even root.
    testsupport::WriteBytes(m_root / "home", "not a folder");
    std::filesystem::path chosen = "unchanged";
    std::string error;
    EXPECT_FALSE(Places().Choose("", chosen, error));
    EXPECT_EQ(chosen, "unchanged");
    EXPECT_NE(error.find(Home()), std::string::npos) << error;

    const platform::CWorkingDirectory homeless(Bin(), EnvironmentOf({}));
    EXPECT_FALSE(homeless.Choose("", chosen, error));
    EXPECT_NE(error.find("HOME"), std::string::npos) << error;
}

} // namespace
