#include "tests/support/TempFile.h"

#include <unistd.h>

#include <stdexcept>
#include <string>
#include <system_error>

namespace testsupport {

CTempFile::CTempFile(std::string_view content) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorn-test-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        throw std::runtime_error("cannot create a temporary file");
    }
    m_path = pattern;
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t got = write(fd, content.data() + written, content.size() - written);
        if (got <= 0) {
            close(fd);
            std::filesystem::remove(m_path);
            throw std::runtime_error("cannot write the temporary file " + pattern);
        }
        written += static_cast<std::size_t>(got);
    }
    close(fd);
}

CTempFile::~CTempFile() {
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
}

std::filesystem::path CTempFile::AbsentSibling() const {
    std::filesystem::path absent = m_path;
    absent += ".absent";
    return absent;
}

} // namespace testsupport
