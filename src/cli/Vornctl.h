#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// The command-line front end: reads the command line, runs the chosen subcommand in the
// working directory, and answers its exit status. Output is UTF-8.
class CVornctl {
public:
    CVornctl(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    // Runs the command line (without the program name) and answers the exit status.
    int Run(const std::vector<std::string>& arguments);

private:
    std::FILE* m_out;
    std::FILE* m_err;
};

} // namespace cli
