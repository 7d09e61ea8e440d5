#include "tests/support/StandIn.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace testsupport {

std::filesystem::path WriteStandIn(const CTempFolder& folder, const std::string& name,
                                   const std::string& record, std::string_view tail) {
    const std::string file = (folder / record).string();
    // Absolute programs only: a test may run it with a PATH of stand-ins.
    std::filesystem::path path =
        folder.Write(name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + file + ".part'\n/bin/mv '" +
                               file + ".part' '" + file + "'\n" + std::string(tail));
    EXPECT_EQ(chmod(path.c_str(), 0755), 0);
    return path;
}

std::string ReadWhenWritten(const std::filesystem::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(file)) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << file << " was not written";
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFile(file);
}

CPathForTest::CPathForTest(const std::string& path) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe)
    if (const char* old = std::getenv("PATH"); old != nullptr) {
        m_old = old;
    }
    setenv("PATH", path.c_str(), 1); // NOLINT(concurrency-mt-unsafe)
}

CPathForTest::~CPathForTest() {
    setenv("PATH", m_old.c_str(), 1); // NOLINT(concurrency-mt-unsafe)
}

} // namespace testsupport
