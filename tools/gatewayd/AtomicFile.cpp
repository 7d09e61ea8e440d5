#include "tools/gatewayd/AtomicFile.h"

#include "platform/BinaryFile.h"

#include <cerrno>
#include <system_error>

namespace gatewayd {

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content, mode_t mode,
                         std::string& error) {
    if (platform::WriteFileAtomically(path, content, mode)) {
        return true;
    }
    error = path.string() +
            ": cannot replace: " + std::error_code(errno, std::generic_category()).message();
    return false;
}

} // namespace gatewayd
