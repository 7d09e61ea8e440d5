#pragma once

#include "tests/support/TempFolder.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

// Writes an executable shell script name into folder that records its arguments, one a
// line, into folder/record (renamed into place once whole), then runs the shell text tail.
std::filesystem::path WriteStandIn(const CTempFolder& folder, const std::string& name,
                                   const std::string& record, std::string_view tail = {});

// Waits, bounded, for a file that a started program writes last, and answers its content;
// an empty text when it did not come.
std::string ReadWhenWritten(const std::filesystem::path& file);

// Sets PATH for one test and puts the old one back. Tests change the environment only
// through this, on the test's own thread, while no other thread reads it.
class CPathForTest {
public:
    explicit CPathForTest(const std::string& path);
    ~CPathForTest();
    CPathForTest(const CPathForTest&) = delete;
    CPathForTest& operator=(const CPathForTest&) = delete;

private:
    std::string m_old;
};

} // namespace testsupport
