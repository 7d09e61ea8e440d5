#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace testsupport {

CTempFolder::CTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorn-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder";
        return;
    }
    m_path = pattern;
}

CTempFolder::~CTempFolder() {
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

std::filesystem::path CTempFolder::Write(const std::string& name, std::string_view content) const {
    std::filesystem::path path = m_path / name;
    WriteBytes(path, content);
    return path;
}

std::string CTempFolder::Listing() const {
    return testsupport::Listing(m_path);
}

std::string Listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& name : names) {
        listing += (listing.empty() ? "" : " ") + name;
    }
    return listing;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string ReadBytes(const std::filesystem::path& path) {
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
    return ReadFile(path);
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    EXPECT_TRUE(out.good()) << path;
}

mode_t PermissionBits(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

ino_t Inode(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}

} // namespace testsupport
