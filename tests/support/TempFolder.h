#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes. Failing to make it fails the test.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

    // Writes content to the file name inside the folder and answers its path.
    std::filesystem::path Write(const std::string& name, std::string_view content) const;

    // The names of the entries in the folder, sorted, separated by spaces.
    std::string Listing() const;

private:
    std::filesystem::path m_path;
};

// The names of the entries in folder, sorted, separated by spaces.
std::string Listing(const std::filesystem::path& folder);

// The whole content of a file, or an empty text when it cannot be read (yet).
std::string ReadFile(const std::filesystem::path& path);

// Whole-file helpers that fail the test when the file cannot be handled.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// The permission bits and inode of a file.
mode_t PermissionBits(const std::filesystem::path& path);
ino_t Inode(const std::filesystem::path& path);

} // namespace testsupport
