#include "tools/gatewayd/StateFolder.h"

#include "tests/support/TempFolder.h"
#include "tools/gatewayd/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testsupport::CTempFolder;
using testsupport::ReadFile;

mode_t PermissionsOf(const std::filesystem::path& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

TEST(AtomicFile, ReplacesTheFileWithTheGivenModeAndLeavesNothingElse) {
    const CTempFolder folder;
    const auto path = folder.Write("port", "old");
    std::string error;
    ASSERT_TRUE(gatewayd::WriteFileAtomically(path, "5428\n", 0600, error)) << error;
    EXPECT_EQ(ReadFile(path), "5428\n");
    EXPECT_EQ(PermissionsOf(path), 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(AtomicFile, FailsInAMissingFolderSayingWhere) {
    const CTempFolder folder;
    const auto path = folder.Path() / "no" / "port";
    std::string error;
    EXPECT_FALSE(gatewayd::WriteFileAtomically(path, "1\n", 0644, error));
    EXPECT_EQ(error.rfind(path.string() + ": cannot replace: ", 0), 0u) << error;
}

TEST(StateFolder, IssuesOnceAndReusesAfterwards) {
    const CTempFolder folder;
    const auto dir = folder.Path() / "state" / "gatewayd";
    gatewayd::Credentials first;
    std::string error;
    ASSERT_TRUE(gatewayd::LoadOrIssueCredentials(dir, "gw.example", first, error)) << error;
    EXPECT_NE(first.caCertificatePem.find("BEGIN CERTIFICATE"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "ca.cer"), first.caCertificatePem);
    EXPECT_EQ(ReadFile(dir / "server.cer"), first.serverCertificatePem);
    EXPECT_EQ(ReadFile(dir / "server.key"), first.serverKeyPem);
    EXPECT_EQ(PermissionsOf(dir / "server.key"), 0600u);
    EXPECT_EQ(PermissionsOf(dir / "ca.cer"), 0644u);

    gatewayd::Credentials second;
    ASSERT_TRUE(gatewayd::LoadOrIssueCredentials(dir, "other.example", second, error)) << error;
    EXPECT_EQ(second.caCertificatePem, first.caCertificatePem);
    EXPECT_EQ(second.serverCertificatePem, first.serverCertificatePem);
    EXPECT_EQ(second.serverKeyPem, first.serverKeyPem);
}

TEST(StateFolder, IssuesAFreshSetWhenAFileIsMissing) {
    const CTempFolder folder;
    gatewayd::Credentials first;
    std::string error;
    ASSERT_TRUE(gatewayd::LoadOrIssueCredentials(folder.Path(), "localhost", first, error));
    std::filesystem::remove(folder.Path() / "server.key");

    gatewayd::Credentials second;
    ASSERT_TRUE(gatewayd::LoadOrIssueCredentials(folder.Path(), "localhost", second, error));
    EXPECT_NE(second.caCertificatePem, first.caCertificatePem);
    EXPECT_EQ(ReadFile(folder.Path() / "ca.cer"), second.caCertificatePem);
    EXPECT_EQ(ReadFile(folder.Path() / "server.key"), second.serverKeyPem);
}

TEST(StateFolder, FailsWhenTheFolderCannotBeMade) {
    const CTempFolder folder;
    const auto file = folder.Write("plain", "x");
    gatewayd::Credentials credentials;
    std::string error;
    EXPECT_FALSE(gatewayd::LoadOrIssueCredentials(file / "state", "localhost", credentials, error));
    EXPECT_EQ(error.rfind((file / "state").string() + ": cannot create the folder: ", 0), 0u)
        << error;
    EXPECT_TRUE(credentials.caCertificatePem.empty());
}

} // namespace
