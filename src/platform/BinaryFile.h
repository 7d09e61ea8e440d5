#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

enum class ReadFileStatus {
    Ok,
    CannotOpen, // the file cannot be opened for reading (missing, not permitted)
    TooLarge,   // the file holds more than the bytes allowed
    Failed,     // the file opened but could not be read
};

// Reads the whole of path into contents when it holds at most maxBytes bytes; never reads
// more than one byte past the limit. On anything but Ok, contents is untouched and errno
// tells why (EFBIG for TooLarge).
ReadFileStatus ReadFileUpTo(const std::filesystem::path& path, std::size_t maxBytes,
                            std::string& contents);

// Replaces path with a file holding exactly contents and the permission bits mode: the
// bytes go to a new unnamed file in the same folder, are flushed to the disk, and the file
// is then named and renamed over path. Whatever happens, path holds either its old or its
// new contents, never a mix or nothing, and a process killed before the rename leaves no
// other file behind (on filesystems without unnamed files, one killed while writing leaves
// a hidden temporary file). Answers false with errno set when path was not replaced; no
// temporary file is left behind then.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view contents, mode_t mode);

// A file written from its start for the user to read: opening truncates an existing file
// (others may keep it open) or makes a new one with mode 0644 less the umask. Not atomic,
// so not for data the program keeps.
class COutputFile {
public:
    COutputFile() = default;
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Answers false with errno set when the file cannot be opened for writing.
    bool Open(const std::filesystem::path& path);
    // Writes all of bytes; false with errno set when not all of it was written.
    bool Write(std::string_view bytes);
    // Closes the file; false with errno set when the last bytes could not be written.
    bool Close();

private:
    int m_fd = -1;
};

} // namespace platform
