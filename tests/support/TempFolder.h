#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes. Path() is empty when it could not be made.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes content to the file name inside the folder and answers its path.
    std::filesystem::path Write(const std::string& name, std::string_view content) const;

private:
    std::filesystem::path m_path;
};

// The whole content of a file, or an empty text when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

} // namespace testsupport
