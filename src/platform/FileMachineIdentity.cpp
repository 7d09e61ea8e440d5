#include "platform/FileMachineIdentity.h"

#include "platform/BinaryFile.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t kIdentityDigits = 32;

// Longer than any valid file, so that a stray large file is not read whole.
constexpr std::size_t kMaxFileBytes = 4096;

bool IsMachineId(std::string_view text) {
    return text.size() == kIdentityDigits && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

std::string_view TrimLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

CFileMachineIdentity::CFileMachineIdentity()
    : m_candidates{"/etc/machine-id", "/var/lib/dbus/machine-id"} {}

CFileMachineIdentity::CFileMachineIdentity(std::vector<std::filesystem::path> candidates)
    : m_candidates(std::move(candidates)) {}

bool CFileMachineIdentity::Read(std::string& identity, std::string& error) const {
    for (const auto& candidate : m_candidates) {
        std::string contents;
        if (ReadFileUpTo(candidate, kMaxFileBytes, contents) != ReadFileStatus::Ok) {
            continue;
        }
        const std::string_view line = TrimLineEnd(contents);
        if (IsMachineId(line)) {
            // Case is not part of the identity: the same machine must give the same key.
            identity.resize(line.size());
            std::transform(line.begin(), line.end(), identity.begin(), [](char c) {
                return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            });
            return true;
        }
    }
    std::string files;
    for (const auto& candidate : m_candidates) {
        files += (files.empty() ? "" : ", ") + candidate.string();
    }
    error = "this machine has no identity (none in " + files +
            "); give it one with systemd-machine-id-setup, or dbus-uuidgen --ensure";
    return false;
}

const CMachineIdentity& SystemMachineIdentity() {
    static const CFileMachineIdentity identity;
    return identity;
}

} // namespace platform
