#pragma once

#include "cli/Options.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

inline constexpr int kExitUsage = 64;
inline constexpr int kExitDisconnectFailed = 4;

// The command-line front end: runs one command over the gateway client and turns its
// outcome into output and an exit status. Output is UTF-8.
class CVornctl {
public:
    CVornctl(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    // Runs the command line (without the program name) and answers the exit status.
    int Run(const std::vector<std::string>& arguments);

private:
    int RunCommand(const Options& options);
    bool EnterWorkdir(const std::string& workdir);
    bool ReadPassword(const Options& options, std::string& password);
    bool ToGbk(const std::string& what, const std::string& utf8, std::size_t maxLength,
               std::string& gbk);
    int Fail(int status, const std::string& utf8Message);

    std::FILE* m_out;
    std::FILE* m_err;
};

} // namespace cli
