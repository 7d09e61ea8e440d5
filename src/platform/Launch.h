#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The argument vector of a program for exec: the program, its arguments, a null pointer.
class CArgumentVector {
public:
    CArgumentVector(const std::filesystem::path& program,
                    const std::vector<std::string>& arguments);
    CArgumentVector(const CArgumentVector&) = delete;
    CArgumentVector& operator=(const CArgumentVector&) = delete;

    const char* Program() const { return m_words.front().c_str(); }
    char* const* Argv() const { return m_argv.data(); }

private:
    std::vector<std::string> m_words;
    std::vector<char*> m_argv;
};

// Starts program with arguments as they are, never through a shell (posix_spawn), and does
// not wait for it; its end is collected on a thread of its own so it leaves no zombie
// behind. The child inherits the working directory and the environment. Answers false with
// a one-line English reason when it could not be started (missing, not executable). Safe
// to call from any thread.
bool StartDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   std::string& error);

// The first executable file named name in the folders of PATH; empty when there is none.
std::filesystem::path FindOnPath(std::string_view name);

// Opens file in the application the desktop uses for its type (for a text file, the text
// editor) through xdg-open; as StartDetached.
bool OpenInDesktopApplication(const std::filesystem::path& file, std::string& error);

} // namespace platform
