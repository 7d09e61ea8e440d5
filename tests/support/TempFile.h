#pragma once

#include <filesystem>
#include <string_view>

namespace testsupport {

// A file with given content in the temporary directory, removed when the object goes.
class CTempFile {
public:
    // Throws std::runtime_error when the file cannot be written.
    explicit CTempFile(std::string_view content);
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // A path next to this file that names nothing.
    std::filesystem::path AbsentSibling() const;

private:
    std::filesystem::path m_path;
};

} // namespace testsupport
