#include "platform/BinaryFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// The file's bytes and mode, flushed to the disk.
bool FillAndSync(int fd, std::string_view contents, mode_t mode) {
    // fchmod rather than the umask: the file holds passwords, whatever the process's umask.
    return fchmod(fd, mode) == 0 && WriteAll(fd, contents) && fsync(fd) == 0;
}

// A name for the finished file beside path, unused until the rename a moment later.
std::string TemporaryName(const std::filesystem::path& path) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char random[6] = {};
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        // Only the uniqueness suffers; linkat refuses a name that exists.
        std::memcpy(random, "vornfl", sizeof random);
    }
    std::string name = "." + path.filename().string() + ".";
    for (const unsigned char byte : random) {
        name.push_back(kLetters[byte % (sizeof kLetters - 1)]);
    }
    return (path.parent_path() / name).string();
}

// Gives the unnamed file fd a name beside path; answers it in temporary.
bool LinkWithTemporaryName(int fd, const std::filesystem::path& path, std::string& temporary) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = TemporaryName(path);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool RenameOver(const std::string& temporary, const std::filesystem::path& path) {
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        UnlinkKeepingErrno(temporary);
        return false;
    }
    SyncFolder(path.parent_path());
    return true;
}

bool UnnamedFilesUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// For filesystems without unnamed files: the bytes go to a named temporary file, which a
// process killed midway leaves behind.
bool WriteThroughNamedFile(const std::filesystem::path& path, std::string_view contents,
                           mode_t mode) {
    std::string temporary =
        (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (!FillAndSync(fd, contents, mode)) {
        CloseKeepingErrno(fd);
        UnlinkKeepingErrno(temporary);
        return false;
    }
    if (close(fd) != 0) {
        UnlinkKeepingErrno(temporary);
        return false;
    }
    return RenameOver(temporary, path);
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
    const int fd =
        open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd < 0) {
        // Filesystems without unnamed files get a named one.
        return UnnamedFilesUnsupported(errno) && WriteThroughNamedFile(path, contents, mode);
    }
    if (!FillAndSync(fd, contents, mode)) {
        CloseKeepingErrno(fd);
        return false;
    }
    std::string temporary;
    const bool linked = LinkWithTemporaryName(fd, path, temporary);
    CloseKeepingErrno(fd);
    return linked && RenameOver(temporary, path);
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
