#include "arpguard/LocalIPMACCache.h"

#include "config/ProtectData.h"
#include "platform/BinaryFile.h"
#include "platform/FileMachineIdentity.h"

#include <string>
#include <utility>

namespace arpguard {
namespace {

constexpr const char* kFileName = "imcache";
constexpr mode_t kFileMode = 0600;

} // namespace

CLocalIPMACCache::CLocalIPMACCache(std::filesystem::path folder)
    : CLocalIPMACCache(std::move(folder), platform::SystemMachineIdentity()) {}

CLocalIPMACCache::CLocalIPMACCache(std::filesystem::path folder,
                                   const platform::CMachineIdentity& machine)
    : m_folder(std::move(folder)), m_machine(&machine) {}

std::filesystem::path CLocalIPMACCache::FilePath() const {
    return m_folder / kFileName;
}

int CLocalIPMACCache::Load() {
    Clear();
    std::string sealed;
    std::string text;
    std::string error;
    if (platform::ReadFileUpTo(FilePath(), config::kProtectedDataLimit, sealed) ==
            platform::ReadFileStatus::Ok &&
        config::UnprotectData(*m_machine, sealed, text, error)) {
        ReadDocument(text);
    }
    return 0;
}

int CLocalIPMACCache::Save() {
    std::string text;
    if (!WriteDocument(text)) {
        return -1;
    }
    text.push_back('\0');
    std::string sealed;
    // A longer text would seal into a file that Load could not unseal.
    if (text.size() >= config::kUnprotectedDataLimit ||
        !config::ProtectData(*m_machine, text, sealed) ||
        !platform::WriteFileAtomically(FilePath(), sealed, kFileMode)) {
        return -1;
    }
    return 0;
}

} // namespace arpguard
