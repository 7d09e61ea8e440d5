#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace gatewayd {

// Replaces the file at path with content, atomically: readers see the old file or the new
// one, never a part. The new file has the permission bits mode. On failure error says why
// and the old file, if any, is unchanged.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content, mode_t mode,
                         std::string& error);

} // namespace gatewayd
