#include "tools/gatewayd/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gatewayd {
namespace {

std::string Failure(const std::filesystem::path& path, const char* step, int errorNumber) {
    return path.string() + ": cannot " + step + ": " + std::strerror(errorNumber);
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content, mode_t mode,
                         std::string& error) {
    // The temporary file lies beside the target, since rename() cannot cross file systems.
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = Failure(path, "create a temporary file", errno);
        return false;
    }
    const char* failedStep = nullptr;
    int failedErrno = 0;
    auto check = [&](bool succeeded, const char* step) {
        if (!succeeded && failedStep == nullptr) {
            failedStep = step;
            failedErrno = errno;
        }
    };
    check(fchmod(fd, mode) == 0, "set the permissions");
    check(failedStep != nullptr || WriteAll(fd, content), "write");
    check(failedStep != nullptr || fsync(fd) == 0, "flush");
    check(close(fd) == 0, "write");
    check(failedStep != nullptr || std::rename(temporary.c_str(), path.c_str()) == 0, "replace");
    if (failedStep != nullptr) {
        error = Failure(path, failedStep, failedErrno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace gatewayd
