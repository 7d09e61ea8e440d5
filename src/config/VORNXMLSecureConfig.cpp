#include "config/VORNXMLSecureConfig.h"

#include "platform/BinaryFile.h"
#include "platform/FileMachineIdentity.h"

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

namespace config {
namespace {

constexpr const char* kSealedFileName = "config";
constexpr const char* kPlainFileName = "config.xml";
constexpr const char* kLockFileName = "config.lock";
constexpr const char* kLoadFailed = "Error Number:%d\n";
constexpr const char* kTooLarge = "protected data is too large";
constexpr mode_t kSealedFileMode = 0600;
constexpr std::string_view kCannotRead = "\"config\" cannot be read: ";
constexpr const char* kStartAfresh = "; to start afresh, move it away";

std::string SystemError(int code) {
    return std::error_code(code, std::generic_category()).message();
}

} // namespace

CVORNXMLSecureConfig::CVORNXMLSecureConfig(std::filesystem::path folder)
    : CVORNXMLSecureConfig(std::move(folder), platform::SystemMachineIdentity()) {}

CVORNXMLSecureConfig::CVORNXMLSecureConfig(std::filesystem::path folder,
                                           const platform::CMachineIdentity& machine)
    : CVORNXMLConfig(std::move(folder)), m_machine(machine) {}

bool CVORNXMLSecureConfig::Fail(std::string problem) {
    m_problem = std::move(problem);
    return false;
}

bool CVORNXMLSecureConfig::SealFailed(std::string_view doing, SealFailure failure) {
    std::string identity;
    std::string why;
    switch (failure) {
    case SealFailure::NoIdentity:
        m_machine.Read(identity, why);
        return Fail(std::string(doing) + why);
    case SealFailure::NotSealed:
        return Fail(std::string(doing) + "it is damaged (it is not a sealed settings file)" +
                    kStartAfresh);
    case SealFailure::CannotUnseal:
        return Fail(std::string(doing) +
                    "it was sealed on another machine, or it has been damaged" + kStartAfresh);
    case SealFailure::TooLarge:
        return Fail(std::string(doing) + "the settings are larger than a sealed file may be");
    default:
        return Fail(std::string(doing) + "the cipher failed");
    }
}

CVORNXMLSecureConfig::FileState CVORNXMLSecureConfig::ReadSealed(std::string& sealed) {
    m_problem.clear();
    // A sealed block is below the limit, so the file is read whole or refused.
    switch (platform::ReadFileUpTo(FilePath(kSealedFileName), kProtectedDataLimit, sealed)) {
    case platform::ReadFileStatus::Ok:
        // An empty file holds no settings that could be lost by replacing it.
        return sealed.empty() ? FileState::Missing : FileState::Loaded;
    case platform::ReadFileStatus::CannotOpen:
        if (errno == ENOENT) {
            Fail("there is no \"config\"");
            return FileState::Missing;
        }
        Fail(std::string(kCannotRead) + SystemError(errno));
        return FileState::Unreadable;
    case platform::ReadFileStatus::TooLarge:
        m_szLastError.Assign(kTooLarge);
        SealFailed(kCannotRead, SealFailure::TooLarge);
        return FileState::Unreadable;
    case platform::ReadFileStatus::Failed:
        break;
    }
    RecordError(kLoadFailed);
    Fail(std::string(kCannotRead) + SystemError(errno));
    return FileState::Unreadable;
}

CVORNXMLSecureConfig::FileState CVORNXMLSecureConfig::UnsealAndLoad(const std::string& sealed) {
    std::string text;
    std::string error;
    SealFailure failure = SealFailure::None;
    if (!UnprotectData(m_machine, sealed, text, error, &failure)) {
        m_szLastError.AssignCut(error);
        SealFailed(kCannotRead, failure);
        return FileState::Unreadable;
    }
    if (!LoadXml(text)) {
        Fail(std::string(kCannotRead) + "it holds no well-formed settings document" + kStartAfresh);
        return FileState::Unreadable;
    }
    m_baseline = sealed;
    return FileState::Loaded;
}

CVORNXMLSecureConfig::FileState CVORNXMLSecureConfig::LoadSealed() {
    std::string sealed;
    const FileState state = ReadSealed(sealed);
    return state == FileState::Loaded ? UnsealAndLoad(sealed) : state;
}

bool CVORNXMLSecureConfig::Load() {
    if (LoadSealed() != FileState::Loaded) {
        return false;
    }
    m_changes.clear();
    return true;
}

bool CVORNXMLSecureConfig::TakeLock(platform::CFileLock& lock) {
    if (lock.Acquire(FilePath(kLockFileName), m_lockWait)) {
        return true;
    }
    const int code = errno;
    RecordError(kLoadFailed);
    if (code == EWOULDBLOCK) {
        return Fail("another program is changing the settings (\"config.lock\" stays locked); "
                    "try again");
    }
    return Fail("the settings cannot be written: \"config.lock\" cannot be opened: " +
                SystemError(code));
}

bool CVORNXMLSecureConfig::WriteSealed(std::string_view text) {
    std::string sealed;
    std::string error;
    SealFailure failure = SealFailure::None;
    if (!ProtectData(m_machine, text, sealed, &error, &failure)) {
        m_szLastError.AssignCut(error);
        return SealFailed("the settings cannot be sealed: ", failure);
    }
    if (!platform::WriteFileAtomically(FilePath(kSealedFileName), sealed, kSealedFileMode)) {
        const int code = errno;
        RecordError(kLoadFailed);
        return Fail("\"config\" cannot be written: " + SystemError(code));
    }
    m_baseline = std::move(sealed);
    m_problem.clear();
    return true;
}

bool CVORNXMLSecureConfig::Save() {
    std::string text;
    // A store that holds nothing has nothing to save.
    if (!GetXml(text)) {
        return Fail("there are no settings to save");
    }
    platform::CFileLock lock;
    if (!TakeLock(lock)) {
        return false;
    }
    std::string current;
    const FileState state = ReadSealed(current);
    if (state == FileState::Unreadable) {
        return false;
    }
    // Another program saved since: its settings, with this store's changes on top.
    if (state == FileState::Loaded && current != m_baseline) {
        if (UnsealAndLoad(current) != FileState::Loaded) {
            return false;
        }
        m_replaying = true;
        for (const Change& change : m_changes) {
            change(*this);
        }
        m_replaying = false;
        if (!GetXml(text)) {
            return Fail("there are no settings to save");
        }
    }
    text.push_back('\0');
    // Load could not unseal a longer text: sealing it would put the accounts out of reach.
    if (text.size() >= kUnprotectedDataLimit) {
        m_szLastError.Assign(kTooLarge);
        return SealFailed("the settings cannot be saved: ", SealFailure::TooLarge);
    }
    if (!WriteSealed(text)) {
        return false;
    }
    m_changes.clear();
    return true;
}

bool CVORNXMLSecureConfig::ConvertLocked() {
    std::string plain;
    // Anything longer would seal into a "config" that Load could not unseal.
    const platform::ReadFileStatus read =
        platform::ReadFileUpTo(FilePath(kPlainFileName), kUnprotectedDataLimit - 1, plain);
    if (read == platform::ReadFileStatus::TooLarge) {
        m_szLastError.Assign(kTooLarge);
        return Fail("\"config.xml\" is larger than a sealed file may be");
    }
    if (read != platform::ReadFileStatus::Ok) {
        const int code = errno;
        RecordError(kLoadFailed);
        return Fail("\"config.xml\" cannot be read: " + SystemError(code));
    }
    // Sealed, a document that cannot be read would stand in the way of every later start.
    CVORNXMLConfig check;
    if (!check.LoadXml(plain)) {
        m_szLastError.AssignCut(check.GetLastError());
        return Fail("\"config.xml\" is not a well-formed settings document");
    }
    return WriteSealed(plain);
}

bool CVORNXMLSecureConfig::ConvertPlainConfig() {
    platform::CFileLock lock;
    return TakeLock(lock) && ConvertLocked();
}

std::optional<bool> CVORNXMLSecureConfig::Settled(FileState state) {
    switch (state) {
    case FileState::Loaded:
        m_changes.clear();
        return true;
    case FileState::Unreadable:
        // It still holds the saved accounts: it is never replaced.
        return false;
    case FileState::Missing:
        break;
    }
    return std::nullopt;
}

bool CVORNXMLSecureConfig::Open() {
    m_noSettings = false;
    if (const std::optional<bool> opened = Settled(LoadSealed())) {
        return *opened;
    }
    std::error_code ignored;
    if (!std::filesystem::exists(FilePath(kPlainFileName), ignored)) {
        m_noSettings = true;
        return Fail("there are no settings here: neither \"config\" nor \"config.xml\"");
    }
    platform::CFileLock lock;
    if (!TakeLock(lock)) {
        return false;
    }
    // Another program may have made "config" while this one waited.
    if (const std::optional<bool> opened = Settled(LoadSealed())) {
        return *opened;
    }
    return ConvertLocked() && Load();
}

void CVORNXMLSecureConfig::Record(Change change) {
    if (!m_replaying) {
        m_changes.push_back(std::move(change));
    }
}

void CVORNXMLSecureConfig::SetConPrompt(bool on) {
    CVORNXMLConfig::SetConPrompt(on);
    Record([on](CVORNXMLConfig& store) { store.CVORNXMLConfig::SetConPrompt(on); });
}

void CVORNXMLSecureConfig::SetAutoLogon(bool on) {
    CVORNXMLConfig::SetAutoLogon(on);
    Record([on](CVORNXMLConfig& store) { store.CVORNXMLConfig::SetAutoLogon(on); });
}

void CVORNXMLSecureConfig::SetReconnect(bool on) {
    CVORNXMLConfig::SetReconnect(on);
    Record([on](CVORNXMLConfig& store) { store.CVORNXMLConfig::SetReconnect(on); });
}

bool CVORNXMLSecureConfig::AddUser(const UserInfo& record) {
    if (!CVORNXMLConfig::AddUser(record)) {
        return false;
    }
    Record([record](CVORNXMLConfig& store) { store.CVORNXMLConfig::AddUser(record); });
    return true;
}

bool CVORNXMLSecureConfig::DeleteAllUsers() {
    if (!CVORNXMLConfig::DeleteAllUsers()) {
        return false;
    }
    Record([](CVORNXMLConfig& store) { store.CVORNXMLConfig::DeleteAllUsers(); });
    return true;
}

bool CVORNXMLSecureConfig::SetDefaultUser(std::string_view name) {
    const bool set = CVORNXMLConfig::SetDefaultUser(name);
    if (set && !name.empty()) {
        Record([name = std::string(name)](CVORNXMLConfig& store) {
            store.CVORNXMLConfig::SetDefaultUser(name);
        });
    }
    return set;
}

bool CVORNXMLSecureConfig::DeleteUser(std::string_view name) {
    if (!CVORNXMLConfig::DeleteUser(name)) {
        return false;
    }
    Record([name = std::string(name)](CVORNXMLConfig& store) {
        store.CVORNXMLConfig::DeleteUser(name);
    });
    return true;
}

} // namespace config
