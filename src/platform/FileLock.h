#pragma once

#include <chrono>
#include <filesystem>

namespace platform {

// An exclusive advisory lock (flock) on a lock file, held from a successful Acquire until
// the object goes. Only programs that take the same lock are kept out; the file itself
// holds nothing and is left in place. One thread at a time may use an object.
class CFileLock {
public:
    CFileLock() = default;
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // Creates path when it is missing (owner only) and waits for the lock at most wait.
    // Answers false with errno set when the file cannot be opened, or EWOULDBLOCK when
    // another holder kept the lock for the whole wait.
    bool Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait);

private:
    int m_fd = -1;
};

} // namespace platform
