#include "platform/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {
namespace {

// Closes a descriptor without letting the close change the errno that tells the caller why
// an earlier step failed.
void CloseKeepingErrno(int fd) {
    const int saved = errno;
    close(fd);
    errno = saved;
}

void UnlinkKeepingErrno(const std::string& path) {
    const int saved = errno;
    unlink(path.c_str());
    errno = saved;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename is only durable once the folder's entry is on the disk too.
void SyncFolder(const std::filesystem::path& folder) {
    const int saved = errno;
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // The file has already been replaced; a folder that cannot be synced does not undo
        // that, so the answer stays success.
        fsync(fd);
        close(fd);
    }
    errno = saved;
}

} // namespace

ReadFileStatus ReadFileUpTo(const std::filesystem::path& path, std::size_t maxBytes,
                            std::string& contents) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return ReadFileStatus::CannotOpen;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            CloseKeepingErrno(fd);
            return ReadFileStatus::Failed;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > maxBytes) {
            close(fd);
            errno = EFBIG;
            return ReadFileStatus::TooLarge;
        }
    }
    close(fd);
    contents = std::move(bytes);
    return ReadFileStatus::Ok;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         mode_t mode) {
    const std::filesystem::path folder = path.parent_path();
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // fchmod rather than the umask: the file holds passwords, whatever the process's umask.
    if (fchmod(fd, mode) != 0 || !WriteAll(fd, contents) || fsync(fd) != 0) {
        CloseKeepingErrno(fd);
        UnlinkKeepingErrno(temporary);
        return false;
    }
    if (close(fd) != 0) {
        UnlinkKeepingErrno(temporary);
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        UnlinkKeepingErrno(temporary);
        return false;
    }
    SyncFolder(folder);
    return true;
}

COutputFile::~COutputFile() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool COutputFile::Open(const std::filesystem::path& path) {
    constexpr mode_t kReadable = 0644;
    if (m_fd >= 0) {
        errno = EBUSY;
        return false;
    }
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kReadable);
    return m_fd >= 0;
}

bool COutputFile::Write(std::string_view bytes) {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    return WriteAll(m_fd, bytes);
}

bool COutputFile::Close() {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    return close(std::exchange(m_fd, -1)) == 0;
}

} // namespace platform
