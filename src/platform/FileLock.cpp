#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace platform {
namespace {

// Short against a human's patience, long against a lock that is held for one save.
constexpr std::chrono::milliseconds kRetryPause{20};

int OpenLockFile(const std::filesystem::path& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EACCES && errno != EROFS)) {
        return fd;
    }
    // A lock file that another user made, or one on a read-only disk, locks as well read-only.
    const int refused = errno;
    const int readOnly = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (readOnly < 0) {
        errno = refused; // why it could not be made tells more than that it is missing
    }
    return readOnly;
}

} // namespace

CFileLock::~CFileLock() {
    if (m_fd >= 0) {
        close(m_fd); // releases the lock
    }
}

bool CFileLock::Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait) {
    if (m_fd >= 0) {
        return true;
    }
    const int fd = OpenLockFile(path);
    if (fd < 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            const int saved = errno;
            close(fd);
            errno = saved;
            return false;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
    m_fd = fd;
    return true;
}

} // namespace platform
