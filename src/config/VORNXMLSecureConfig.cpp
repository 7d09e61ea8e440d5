#include "config/VORNXMLSecureConfig.h"

#include "config/ProtectData.h"
#include "platform/BinaryFile.h"
#include "platform/FileMachineIdentity.h"

#include <cerrno>
#include <string>
#include <utility>

namespace config {
namespace {

constexpr const char* kSealedFileName = "config";
constexpr const char* kPlainFileName = "config.xml";
constexpr const char* kLoadFailed = "Error Number:%d\n";
constexpr mode_t kSealedFileMode = 0600;

} // namespace

CVORNXMLSecureConfig::CVORNXMLSecureConfig(std::filesystem::path folder)
    : CVORNXMLSecureConfig(std::move(folder), platform::SystemMachineIdentity()) {}

CVORNXMLSecureConfig::CVORNXMLSecureConfig(std::filesystem::path folder,
                                           const platform::CMachineIdentity& machine)
    : CVORNXMLConfig(std::move(folder)), m_machine(machine) {}

bool CVORNXMLSecureConfig::Load() {
    std::string sealed;
    // A sealed block is below the limit, so the file is read whole or refused.
    switch (platform::ReadFileUpTo(FilePath(kSealedFileName), kProtectedDataLimit, sealed)) {
    case platform::ReadFileStatus::Ok:
        break;
    case platform::ReadFileStatus::CannotOpen:
        return false;
    case platform::ReadFileStatus::TooLarge:
        m_szLastError.Assign("protected data is too large");
        return false;
    case platform::ReadFileStatus::Failed:
        RecordError(kLoadFailed);
        return false;
    }
    std::string text;
    std::string error;
    if (!UnprotectData(m_machine, sealed, text, error)) {
        m_szLastError.AssignCut(error);
        return false;
    }
    return LoadXml(text);
}

bool CVORNXMLSecureConfig::WriteSealed(std::string_view text) {
    std::string sealed;
    std::string error;
    if (!ProtectData(m_machine, text, sealed, &error)) {
        m_szLastError.AssignCut(error);
        return false;
    }
    if (!platform::WriteFileAtomically(FilePath(kSealedFileName), sealed, kSealedFileMode)) {
        RecordError(kLoadFailed);
        return false;
    }
    return true;
}

bool CVORNXMLSecureConfig::Save() {
    std::string text;
    if (!GetXml(text)) {
        return false;
    }
    text.push_back('\0');
    // Load could not unseal a longer text: sealing it would put the accounts out of reach.
    if (text.size() >= kUnprotectedDataLimit) {
        m_szLastError.Assign("protected data is too large");
        return false;
    }
    return WriteSealed(text);
}

bool CVORNXMLSecureConfig::ConvertPlainConfig() {
    std::string plain;
    // Anything longer would seal into a "config" that Load could not unseal.
    const platform::ReadFileStatus read =
        platform::ReadFileUpTo(FilePath(kPlainFileName), kUnprotectedDataLimit - 1, plain);
    if (read == platform::ReadFileStatus::TooLarge) {
        m_szLastError.Assign("protected data is too large");
        return false;
    }
    if (read != platform::ReadFileStatus::Ok) {
        RecordError(kLoadFailed);
        return false;
    }
    return WriteSealed(plain);
}

bool CVORNXMLSecureConfig::Open() {
    if (Load()) {
        return true;
    }
    ConvertPlainConfig();
    return Load();
}

} // namespace config
