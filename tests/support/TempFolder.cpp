#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace testsupport {

CTempFolder::CTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorn-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

CTempFolder::~CTempFolder() {
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

std::filesystem::path CTempFolder::Write(const std::string& name, std::string_view content) const {
    const std::filesystem::path path = m_path / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

} // namespace testsupport
