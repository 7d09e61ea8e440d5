#pragma once

#include "arpguard/IPMACCache.h"
#include "platform/MachineIdentity.h"

#include <filesystem>

namespace arpguard {

// The cache kept in the file "imcache": one block sealed to this machine (ProtectData)
// holding the IP-MAC document followed by one NUL byte.
class CLocalIPMACCache : public CIPMACCache {
public:
    // folder holds "imcache"; an empty path is the current directory at each call. machine
    // must outlive the cache.
    explicit CLocalIPMACCache(std::filesystem::path folder = {});
    CLocalIPMACCache(std::filesystem::path folder, const platform::CMachineIdentity& machine);

    // Replaces the pairs with those of "imcache" and answers 0. A file that is missing,
    // unreadable, larger than a sealed block, sealed elsewhere, damaged or without a
    // well-formed document leaves the cache empty, without a message.
    int Load() override;

    // Replaces "imcache" atomically (readable by its owner only) with the sealed document
    // and answers 0. Answers -1, leaving the file as it was, when the document cannot be
    // built, is too long for Load to unseal again, cannot be sealed or cannot be written.
    int Save() override;

    std::filesystem::path FilePath() const;

private:
    std::filesystem::path m_folder;
    const platform::CMachineIdentity* m_machine;
};

} // namespace arpguard
