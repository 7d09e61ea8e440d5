#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// How a program that ran to its end ended.
struct ProgramRun {
    int exitCode = -1; // -1 when it did not end normally or in time (it was then killed)
    std::string out;
    std::string err;
};

// Runs program with arguments and standard input, without a controlling terminal's input,
// and waits for it, bounded. Output is collected through files in scratchDir.
ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, const std::string& input,
                      const std::filesystem::path& scratchDir);

} // namespace testsupport
