#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// Where a started program's standard streams go: files, and /dev/null for an empty input.
struct StandardStreams {
    std::filesystem::path in;
    std::filesystem::path out;
    std::filesystem::path err;
};

// Starts program with arguments and its streams redirected, in a session of its own, so it
// has no controlling terminal to ask on. Answers its pid, or -1 when it cannot start.
pid_t SpawnProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const StandardStreams& streams);

// Waits, bounded, for pid to end and answers its wait status; past the bound the program is
// killed and nothing is answered.
std::optional<int> WaitForProgram(pid_t pid);

// How a program that ran to its end ended.
struct ProgramRun {
    int exitCode = -1; // -1 when it did not end normally or in time
    std::string out;
    std::string err;
};

// Runs program with arguments and standard input, and waits for it, bounded. Output is
// collected through files in scratchDir.
ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, const std::string& input,
                      const std::filesystem::path& scratchDir);

} // namespace testsupport
