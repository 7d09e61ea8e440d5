#pragma once

#include "config/ProtectData.h"
#include "config/VORNXMLConfig.h"
#include "platform/FileLock.h"
#include "platform/MachineIdentity.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace config {

// The store that the client uses: the settings of CVORNXMLConfig kept on disk only in the
// file "config", sealed to this machine (ProtectData). The plain "config.xml" that comes
// with the installation is read, never written, when there is no "config" yet.
//
// Several programs may keep the settings of one folder open at once (the window, vornctl,
// a second copy). Every write of "config" happens under an exclusive lock on
// "config.lock" beside it, and Save first reads the current "config" under that lock and
// applies to it the changes made since the last Load or Save, so that no program's change
// is lost to another's. A "config" that cannot be read is never written over.
class CVORNXMLSecureConfig : public CVORNXMLConfig {
public:
    // How long a write waits for another program's write to finish.
    static constexpr std::chrono::milliseconds kDefaultLockWait{10000};

    // folder holds "config" and "config.xml"; an empty path is the current directory at
    // each call. machine must outlive the store.
    explicit CVORNXMLSecureConfig(std::filesystem::path folder = {});
    CVORNXMLSecureConfig(std::filesystem::path folder, const platform::CMachineIdentity& machine);

    // Replaces the document in memory with the one sealed in "config", and forgets the
    // changes not saved yet. False, with the document kept, when the file is missing (no
    // message), longer than a sealed block, sealed elsewhere, damaged, or holds no
    // well-formed document.
    bool Load() override;

    // Under the lock: reads the current "config" (when there is one), applies the changes
    // made since the last Load or Save, seals the document, followed by one NUL byte, and
    // replaces "config" with it atomically, readable by its owner only (0600). On false
    // "config" is as it was: when it cannot be read, when the lock cannot be had within the
    // wait, or when the document is refused with "protected data is too large" because it
    // could not be unsealed again.
    bool Save() override;

    // The start-up entry: Load; when there is no "config" (or an empty one), seal
    // "config.xml" into "config" (ConvertPlainConfig) and Load again. A "config" that cannot
    // be read is left as it is, and Open answers false.
    bool Open();

    // Under the lock, seals the bytes of "config.xml" exactly as they stand into "config",
    // replacing it atomically. False, with "config" as it was, when "config.xml" is missing
    // or too large for a sealed file, or the sealing, the lock or the write fails.
    bool ConvertPlainConfig();

    // Why the last Open, Load or Save failed, in English for the user; empty after success.
    const std::string& Problem() const { return m_problem; }

    // Whether the last Open failed only because the folder holds no settings: neither a
    // "config" (an empty one counts as none) nor a "config.xml".
    bool FoundNoSettings() const { return m_noSettings; }

    // How long a write waits for the lock.
    void SetLockWait(std::chrono::milliseconds wait) { m_lockWait = wait; }

    // Changes that are replayed on the current "config" when saving.
    void SetConPrompt(bool on) override;
    void SetAutoLogon(bool on) override;
    void SetReconnect(bool on) override;
    bool AddUser(const UserInfo& record) override;
    bool DeleteAllUsers() override;
    bool SetDefaultUser(std::string_view name) override;
    bool DeleteUser(std::string_view name) override;

private:
    using Change = std::function<void(CVORNXMLConfig&)>;

    enum class FileState { Loaded, Missing, Unreadable };

    // Reads the bytes of "config": Missing for no file or an empty one.
    FileState ReadSealed(std::string& sealed);
    // Replaces the document with the one sealed in sealed; the recorded changes stay.
    FileState UnsealAndLoad(const std::string& sealed);
    FileState LoadSealed();
    // Ends Open for a "config" that was loaded or cannot be read; nothing for a missing one.
    std::optional<bool> Settled(FileState state);
    bool ConvertLocked();
    bool TakeLock(platform::CFileLock& lock);
    bool WriteSealed(std::string_view text);
    void Record(Change change);
    bool SealFailed(std::string_view doing, SealFailure failure);
    bool Fail(std::string problem);

    const platform::CMachineIdentity& m_machine;
    std::chrono::milliseconds m_lockWait = kDefaultLockWait;
    std::vector<Change> m_changes;
    // The sealed bytes last read or written: a "config" that still holds them has not been
    // changed by another program since.
    std::string m_baseline;
    bool m_replaying = false;
    bool m_noSettings = false;
    std::string m_problem;
};

} // namespace config
