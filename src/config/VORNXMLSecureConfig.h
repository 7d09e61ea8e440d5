#pragma once

#include "config/VORNXMLConfig.h"
#include "platform/MachineIdentity.h"

#include <filesystem>

namespace config {

// The store that the client uses: the settings of CVORNXMLConfig kept on disk only in the
// file "config", sealed to this machine (ProtectData). The plain "config.xml" that comes
// with the installation is read, never written, when there is no usable "config".
class CVORNXMLSecureConfig : public CVORNXMLConfig {
public:
    // folder holds "config" and "config.xml"; an empty path is the current directory at
    // each call. machine must outlive the store.
    explicit CVORNXMLSecureConfig(std::filesystem::path folder = {});
    CVORNXMLSecureConfig(std::filesystem::path folder, const platform::CMachineIdentity& machine);

    // Replaces the document in memory with the one sealed in "config". False, with the
    // document kept, when the file is missing (no message), longer than a sealed block,
    // sealed elsewhere, damaged, or holds no well-formed document.
    bool Load() override;

    // Seals the document, followed by one NUL byte, and replaces "config" with it
    // atomically, readable by its owner only (0600). On false "config" is as it was: the
    // document is refused with "protected data is too large" when it could not be
    // unsealed again.
    bool Save() override;

    // The start-up entry: Load, and when that fails ConvertPlainConfig and Load again.
    bool Open();

    // Seals the bytes of "config.xml" exactly as they stand into "config", replacing it
    // atomically. False, with "config" as it was, when "config.xml" is missing or too
    // large for a sealed file, or the sealing or the write fails.
    bool ConvertPlainConfig();

private:
    bool WriteSealed(std::string_view text);

    const platform::CMachineIdentity& m_machine;
};

} // namespace config
