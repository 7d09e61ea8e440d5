#include "config/ProtectData.h"
#include "config/VORNXMLSecureConfig.h"
#include "platform/FileLock.h"
#include "platform/FileMachineIdentity.h"
#include "platform/FixedMachineIdentity.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <ostream>

namespace {

using config::CVORNXMLSecureConfig;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

const platform::CFixedMachineIdentity kThisMachine("3d1219c7c4c5404aaa1f6d2a48adfda4");
const platform::CFixedMachineIdentity kOtherMachine("0123456789abcdef0123456789abcdef");

std::string Doc(std::string_view inner) {
    return "<VORNClientConfig>" + std::string(inner) + "</VORNClientConfig>";
}

const std::string kInstalledDoc =
    "<?xml version=\"1.0\" encoding=\"GBK\"?>\n" +
    Doc(R"(<Style ConPrompt="true" AutoLogon="false"/><Log/><HBSCam>plain.example:1</HBSCam>)") +
    "\n";
const std::string kSavedDoc =
    Doc(R"(<Style ConPrompt="false" AutoLogon="true"/><Log><UserInfo Username="bob" )"
        R"(Access="overall"/></Log><HBSCam>sealed.example:2</HBSCam>)") +
    std::string(1, '\0');

std::string SealedOn(const platform::CMachineIdentity& machine, std::string_view text) {
    std::string sealed;
    std::string error;
    EXPECT_TRUE(config::ProtectData(machine, text, sealed, &error)) << error;
    return sealed;
}

std::string Unsealed(std::string_view sealed) {
    std::string text;
    std::string error;
    EXPECT_TRUE(config::UnprotectData(kThisMachine, sealed, text, error)) << error;
    return text;
}

std::string Campus(CVORNXMLSecureConfig& store) {
    config::HBSText campus;
    store.GetHBSCam(campus);
    return std::string(campus.View());
}

// A document of exactly size bytes.
std::string DocOfSize(std::size_t size) {
    const std::string shell = Doc("<HBSInt></HBSInt>");
    return Doc("<HBSInt>" + std::string(size - shell.size(), 'x') + "</HBSInt>");
}

// Sets the process's umask for the length of a test.
class CUmask {
public:
    explicit CUmask(mode_t mask) : m_old(umask(mask)) {}
    ~CUmask() { umask(m_old); }
    CUmask(const CUmask&) = delete;
    CUmask& operator=(const CUmask&) = delete;

private:
    mode_t m_old;
};

// --- What Open makes of the files it finds ------------------------------------------------

enum class SealedFile { None, Valid, OtherMachine, Empty, Damaged, Truncated };
enum class Outcome { Unchanged, Installed };

struct FileStateCase {
    const char* name;
    SealedFile config;
    bool plain;
    bool opens;
    const char* campus;  // what the store reads after Open
    Outcome outcome;     // what "config" holds after Open
    const char* problem; // what the store says when Open fails
};

void PrintTo(const FileStateCase& fileState, std::ostream* out) {
    *out << fileState.name;
}

class OpenFileStates : public testing::TestWithParam<FileStateCase> {};

constexpr const char* kForeign =
    "\"config\" cannot be read: it was sealed on another machine, or it has been damaged; to "
    "start afresh, move it away";
constexpr const char* kNoSettings =
    "there are no settings here: neither \"config\" nor \"config.xml\"";

TEST_P(OpenFileStates, LoadOrConvertAsTheFilesAllow) {
    const FileStateCase& fileState = GetParam();
    testsupport::CTempFolder folder;
    if (fileState.plain) {
        WriteBytes(folder / "config.xml", kInstalledDoc);
    }
    std::string before;
    switch (fileState.config) {
    case SealedFile::None:
        break;
    case SealedFile::Valid:
        before = SealedOn(kThisMachine, kSavedDoc);
        break;
    case SealedFile::OtherMachine:
        before = SealedOn(kOtherMachine, kSavedDoc);
        break;
    case SealedFile::Empty:
        break;
    case SealedFile::Damaged:
        before = SealedOn(kThisMachine, kSavedDoc);
        before[before.size() / 2] ^= 0x20;
        break;
    case SealedFile::Truncated:
        before = SealedOn(kThisMachine, kSavedDoc).substr(0, 20);
        break;
    }
    if (fileState.config != SealedFile::None) {
        WriteBytes(folder / "config", before);
    }
    const std::string listing = folder.Listing();

    CVORNXMLSecureConfig store(folder.Path(), kThisMachine);
    EXPECT_EQ(store.Open(), fileState.opens);
    EXPECT_EQ(Campus(store), fileState.campus);
    EXPECT_EQ(store.Problem(), fileState.problem);
    EXPECT_EQ(store.FoundNoSettings(), std::string_view(fileState.problem).starts_with("there"));

    // Only a conversion takes the lock, and so leaves the lock file.
    EXPECT_EQ(folder.Listing(),
              fileState.outcome == Outcome::Installed ? "config config.lock config.xml" : listing);
    if (fileState.outcome == Outcome::Installed) {
        EXPECT_EQ(Unsealed(ReadBytes(folder / "config")), kInstalledDoc);
        EXPECT_EQ(testsupport::PermissionBits(folder / "config"), 0600u);
    } else if (fileState.config != SealedFile::None) {
        EXPECT_EQ(ReadBytes(folder / "config"), before);
    }
    if (fileState.plain) {
        EXPECT_EQ(ReadBytes(folder / "config.xml"), kInstalledDoc);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenFileStates,
    testing::Values(
        FileStateCase{"only_config_xml", SealedFile::None, true, true, "plain.example:1",
                      Outcome::Installed, ""},
        FileStateCase{"valid_config", SealedFile::Valid, true, true, "sealed.example:2",
                      Outcome::Unchanged, ""},
        FileStateCase{"valid_config_alone", SealedFile::Valid, false, true, "sealed.example:2",
                      Outcome::Unchanged, ""},
        // A "config" that cannot be read still holds the saved accounts: never replaced.
        FileStateCase{"other_machine_with_config_xml", SealedFile::OtherMachine, true, false, "",
                      Outcome::Unchanged, kForeign},
        FileStateCase{"other_machine_alone", SealedFile::OtherMachine, false, false, "",
                      Outcome::Unchanged, kForeign},
        FileStateCase{"damaged_with_config_xml", SealedFile::Damaged, true, false, "",
                      Outcome::Unchanged, kForeign},
        FileStateCase{
            "truncated_with_config_xml", SealedFile::Truncated, true, false, "", Outcome::Unchanged,
            "\"config\" cannot be read: it is damaged (it is not a sealed settings file); to "
            "start afresh, move it away"},
        // An empty file holds nothing to lose.
        FileStateCase{"empty_with_config_xml", SealedFile::Empty, true, true, "plain.example:1",
                      Outcome::Installed, ""},
        FileStateCase{"empty_alone", SealedFile::Empty, false, false, "", Outcome::Unchanged,
                      kNoSettings},
        FileStateCase{"neither", SealedFile::None, false, false, "", Outcome::Unchanged,
                      kNoSettings}),
    [](const testing::TestParamInfo<FileStateCase>& info) { return info.param.name; });

TEST(OpenFileStates, ReadsTheSameValuesAsTheInstalledDocument) {
    testsupport::CTempFolder folder;
    WriteBytes(folder / "config.xml", kInstalledDoc);
    CVORNXMLSecureConfig sealed(folder.Path(), kThisMachine);
    ASSERT_TRUE(sealed.Open());
    config::CVORNXMLConfig plain(folder.Path());
    ASSERT_TRUE(plain.Load());
    std::string sealedText;
    std::string plainText;
    ASSERT_TRUE(sealed.GetXml(sealedText));
    ASSERT_TRUE(plain.GetXml(plainText));
    EXPECT_EQ(sealedText, plainText);
}

TEST(OpenFileStates, MachineWithoutIdentitySaysHowToGiveItOne) {
    testsupport::CTempFolder folder;
    WriteBytes(folder / "config.xml", kInstalledDoc);
    std::filesystem::create_directory(folder / "etc");
    const platform::CFileMachineIdentity noIdentity({folder / "etc" / "machine-id"});
    CVORNXMLSecureConfig store(folder.Path(), noIdentity);
    EXPECT_FALSE(store.Open());
    EXPECT_EQ(store.Problem(),
              "the settings cannot be sealed: this machine has no identity (none in " +
                  (folder / "etc" / "machine-id").string() +
                  "); give it one with systemd-machine-id-setup, or "
                  "dbus-uuidgen --ensure");
    EXPECT_EQ(folder.Listing(), "config.lock config.xml etc");
}

TEST(OpenFileStates, EmptyFolderIsTheCurrentDirectory) {
    testsupport::CTempFolder folder;
    WriteBytes(folder / "config.xml", kInstalledDoc);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    CVORNXMLSecureConfig store({}, kThisMachine);
    const bool opened = store.Open();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(opened);
    EXPECT_EQ(folder.Listing(), "config config.lock config.xml");
}

// --- Save -----------------------------------------------------------------------------------

class SecureSave : public testing::Test {
protected:
    void SetUp() override {
        WriteBytes(m_folder / "config.xml", kInstalledDoc);
        ASSERT_TRUE(m_store.Open());
    }

    testsupport::CTempFolder m_folder;
    CVORNXMLSecureConfig m_store{m_folder.Path(), kThisMachine};
};

config::UserInfo Bob() {
    config::UserInfo bob;
    EXPECT_TRUE(bob.username.Assign("bob"));
    EXPECT_TRUE(bob.password.Assign("secret"));
    bob.savePassword = true;
    bob.access = config::ACCESS_OVERALL;
    return bob;
}

TEST_F(SecureSave, SealsTheDocumentAndOneNul) {
    ASSERT_TRUE(m_store.AddUser(Bob()));
    ASSERT_TRUE(m_store.SetDefaultUser("bob"));
    ASSERT_TRUE(m_store.Save());
    std::string text;
    ASSERT_TRUE(m_store.GetXml(text));
    EXPECT_EQ(Unsealed(ReadBytes(m_folder / "config")), text + std::string(1, '\0'));

    CVORNXMLSecureConfig reopened(m_folder.Path(), kThisMachine);
    ASSERT_TRUE(reopened.Open());
    std::array<config::UserInfo, 10> users;
    std::size_t count = 0;
    ASSERT_TRUE(reopened.GetUserList(users, count));
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(users[0].password.View(), "secret");
    config::UserText name;
    ASSERT_TRUE(reopened.GetDefaultUser(name));
    EXPECT_EQ(name.View(), "bob");
}

TEST_F(SecureSave, ReplacesConfigByRenameNotInPlace) {
    // A second name for the old file shows whether its bytes were rewritten.
    std::filesystem::create_hard_link(m_folder / "config", m_folder / "config.before");
    const ino_t oldInode = testsupport::Inode(m_folder / "config");
    ASSERT_TRUE(m_store.AddUser(Bob()));
    ASSERT_TRUE(m_store.Save());

    EXPECT_NE(testsupport::Inode(m_folder / "config"), oldInode);
    EXPECT_EQ(Unsealed(ReadBytes(m_folder / "config.before")), kInstalledDoc);
    EXPECT_NE(Unsealed(ReadBytes(m_folder / "config")).find("secret"), std::string::npos);
    EXPECT_EQ(m_folder.Listing(), "config config.before config.lock config.xml");
}

TEST_F(SecureSave, MakesConfigOwnerOnlyWhateverTheUmaskAndOldMode) {
    const CUmask open(0);
    ASSERT_EQ(chmod((m_folder / "config").c_str(), 0644), 0);
    ASSERT_TRUE(m_store.Save());
    EXPECT_EQ(testsupport::PermissionBits(m_folder / "config"), 0600u);

    std::filesystem::remove(m_folder / "config");
    ASSERT_TRUE(m_store.Save());
    EXPECT_EQ(testsupport::PermissionBits(m_folder / "config"), 0600u);
}

TEST_F(SecureSave, ThatCannotReplaceLeavesNoTemporaryFile) {
    std::filesystem::remove(m_folder / "config");
    std::filesystem::create_directory(m_folder / "config");
    EXPECT_FALSE(m_store.Save());
    EXPECT_EQ(m_store.GetLastError(), "Error Number:21\n"); // EISDIR
    EXPECT_EQ(m_folder.Listing(), "config config.lock config.xml");
}

TEST_F(SecureSave, OfNothingLoadedKeepsConfig) {
    const std::string before = ReadBytes(m_folder / "config");
    CVORNXMLSecureConfig unopened(m_folder.Path(), kThisMachine);
    EXPECT_FALSE(unopened.Save());
    EXPECT_EQ(ReadBytes(m_folder / "config"), before);
}

// A document that Load could not take back (unsealed limit) or that ProtectData cannot
// seal (sealed limit).
class SecureSaveTooLarge : public SecureSave, public testing::WithParamInterface<std::size_t> {};

TEST_P(SecureSaveTooLarge, FailsAndLeavesThePreviousConfigReadable) {
    const std::string before = ReadBytes(m_folder / "config");
    ASSERT_TRUE(m_store.LoadXml(DocOfSize(GetParam())));
    EXPECT_FALSE(m_store.Save());
    EXPECT_EQ(m_store.GetLastError(), "protected data is too large");
    EXPECT_EQ(ReadBytes(m_folder / "config"), before);

    CVORNXMLSecureConfig reopened(m_folder.Path(), kThisMachine);
    ASSERT_TRUE(reopened.Load());
    EXPECT_EQ(Campus(reopened), "plain.example:1");
}

INSTANTIATE_TEST_SUITE_P(Sizes, SecureSaveTooLarge,
                         testing::Values(config::kUnprotectedDataLimit + 1000,
                                         config::kProtectedDataLimit,
                                         config::kProtectedDataLimit * 2));

TEST_F(SecureSave, TakesTheLargestDocumentThatLoadCanReadBack) {
    // The serialised text of a document grows byte for byte with its content.
    ASSERT_TRUE(m_store.LoadXml(DocOfSize(1000)));
    std::string text;
    ASSERT_TRUE(m_store.GetXml(text));
    const std::size_t largest = 1000 + (config::kUnprotectedDataLimit - 2 - text.size());

    ASSERT_TRUE(m_store.LoadXml(DocOfSize(largest)));
    ASSERT_TRUE(m_store.GetXml(text));
    ASSERT_EQ(text.size() + 1, config::kUnprotectedDataLimit - 1);
    ASSERT_TRUE(m_store.Save());
    CVORNXMLSecureConfig reopened(m_folder.Path(), kThisMachine);
    EXPECT_TRUE(reopened.Load());

    ASSERT_TRUE(m_store.LoadXml(DocOfSize(largest + 1)));
    EXPECT_FALSE(m_store.Save());
}

// --- Several stores on one folder ---------------------------------------------------------

std::vector<std::string> SavedNames(const std::filesystem::path& folder) {
    CVORNXMLSecureConfig store(folder, kThisMachine);
    EXPECT_TRUE(store.Open()) << store.Problem();
    std::array<config::UserInfo, 10> users;
    std::size_t count = 0;
    EXPECT_TRUE(store.GetUserList(users, count));
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        names.emplace_back(users[i].username.View());
    }
    return names;
}

config::UserInfo Named(std::string_view name) {
    config::UserInfo user = Bob();
    EXPECT_TRUE(user.username.Assign(name));
    return user;
}

TEST_F(SecureSave, OfTwoStoresKeepsTheChangesOfBoth) {
    CVORNXMLSecureConfig other(m_folder.Path(), kThisMachine);
    ASSERT_TRUE(other.Open());
    ASSERT_TRUE(m_store.AddUser(Named("ann")));
    ASSERT_TRUE(other.AddUser(Named("bea")));
    ASSERT_TRUE(other.SetDefaultUser("bea"));
    ASSERT_TRUE(m_store.Save());
    ASSERT_TRUE(other.Save());
    EXPECT_EQ(SavedNames(m_folder.Path()), (std::vector<std::string>{"ann", "bea"}));

    // A store that deleted everything is not undone by one that only added an account.
    ASSERT_TRUE(m_store.DeleteAllUsers());
    ASSERT_TRUE(m_store.Save());
    ASSERT_TRUE(other.AddUser(Named("cid")));
    ASSERT_TRUE(other.Save());
    EXPECT_EQ(SavedNames(m_folder.Path()), std::vector<std::string>{"cid"});
}

TEST_F(SecureSave, KeepsTheReconnectSwitchBesideAnotherStoresChange) {
    CVORNXMLSecureConfig other(m_folder.Path(), kThisMachine);
    ASSERT_TRUE(other.Open());
    m_store.SetReconnect(true);
    ASSERT_TRUE(other.AddUser(Named("bea")));
    ASSERT_TRUE(other.Save());
    ASSERT_TRUE(m_store.Save());

    CVORNXMLSecureConfig reopened(m_folder.Path(), kThisMachine);
    ASSERT_TRUE(reopened.Open());
    EXPECT_TRUE(reopened.GetReconnect());
    EXPECT_EQ(SavedNames(m_folder.Path()), std::vector<std::string>{"bea"});

    // Turned off by another store after this one read it.
    other.SetReconnect(false);
    ASSERT_TRUE(other.Save());
    ASSERT_TRUE(m_store.AddUser(Named("cid")));
    ASSERT_TRUE(m_store.Save());
    ASSERT_TRUE(reopened.Load());
    EXPECT_FALSE(reopened.GetReconnect());
}

TEST_F(SecureSave, WaitsForTheLockOnlySoLong) {
    platform::CFileLock held;
    ASSERT_TRUE(held.Acquire(m_folder / "config.lock", std::chrono::milliseconds(0)));
    const std::string before = ReadBytes(m_folder / "config");
    m_store.SetLockWait(std::chrono::milliseconds(50));
    ASSERT_TRUE(m_store.AddUser(Bob()));
    EXPECT_FALSE(m_store.Save());
    EXPECT_EQ(m_store.Problem(),
              "another program is changing the settings (\"config.lock\" stays locked); try again");
    EXPECT_EQ(ReadBytes(m_folder / "config"), before);
}

TEST_F(SecureSave, NeverWritesOverAConfigThatCannotBeRead) {
    ASSERT_TRUE(m_store.AddUser(Bob()));
    const std::string foreign = SealedOn(kOtherMachine, kSavedDoc);
    WriteBytes(m_folder / "config", foreign);
    EXPECT_FALSE(m_store.Save());
    EXPECT_EQ(m_store.Problem(), kForeign);
    EXPECT_EQ(ReadBytes(m_folder / "config"), foreign);
}

// --- Load limits ----------------------------------------------------------------------------

struct LoadLimitCase {
    const char* name;
    std::string fileBytes;
    bool loads;
    const char* error;
};

void PrintTo(const LoadLimitCase& limit, std::ostream* out) {
    *out << limit.name;
}

class SecureLoadLimits : public testing::TestWithParam<LoadLimitCase> {};

TEST_P(SecureLoadLimits, AreThoseOfTheSealedBlock) {
    testsupport::CTempFolder folder;
    WriteBytes(folder / "config", GetParam().fileBytes);
    CVORNXMLSecureConfig store(folder.Path(), kThisMachine);
    EXPECT_EQ(store.Load(), GetParam().loads);
    EXPECT_EQ(store.GetLastError(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SecureLoadLimits,
    testing::Values(
        LoadLimitCase{"unsealed_32767_bytes",
                      SealedOn(kThisMachine, DocOfSize(config::kUnprotectedDataLimit - 1)), true,
                      ""},
        LoadLimitCase{"unsealed_32768_bytes",
                      SealedOn(kThisMachine, DocOfSize(config::kUnprotectedDataLimit)), false,
                      "unprotected data is too large"},
        LoadLimitCase{"file_of_65536_bytes", std::string(config::kProtectedDataLimit, 'x'), false,
                      "Protect Data fails"},
        LoadLimitCase{"file_of_65537_bytes", std::string(config::kProtectedDataLimit + 1, 'x'),
                      false, "protected data is too large"},
        LoadLimitCase{"sealed_but_not_a_document", SealedOn(kThisMachine, "<VORNClientConfig>"),
                      false, "Error Number:22\n"}),
    [](const testing::TestParamInfo<LoadLimitCase>& info) { return info.param.name; });

TEST(ConvertPlainConfig, RefusesAConfigXmlThatCouldNotBeUnsealedAgain) {
    testsupport::CTempFolder folder;
    CVORNXMLSecureConfig store(folder.Path(), kThisMachine);

    WriteBytes(folder / "config.xml", DocOfSize(config::kUnprotectedDataLimit));
    EXPECT_FALSE(store.ConvertPlainConfig());
    EXPECT_EQ(store.GetLastError(), "protected data is too large");
    EXPECT_EQ(folder.Listing(), "config.lock config.xml");

    WriteBytes(folder / "config.xml", DocOfSize(config::kUnprotectedDataLimit - 1));
    EXPECT_TRUE(store.Open());
    EXPECT_EQ(folder.Listing(), "config config.lock config.xml");
}

} // namespace
