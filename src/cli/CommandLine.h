#pragma once

#include "cli/CommandContext.h"
#include "cli/Subcommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cli {

// The outcome of reading the command line: a subcommand to run, a help text, or a usage
// error.
struct ParsedCommandLine {
    CSubcommand* command = nullptr; // set when the command line is usable
    std::string help;               // set when help was asked for
    std::string error;              // why the command line is unusable
    std::string hint;               // with error: where to find the right usage
};

// vornctl's command line: the global options and every subcommand.
class CCommandLine {
public:
    CCommandLine();
    CCommandLine(const CCommandLine&) = delete;
    CCommandLine& operator=(const CCommandLine&) = delete;

    // Reads the arguments (without the program name). Call once: the subcommands keep what
    // it read, and the result points at one of them.
    ParsedCommandLine Parse(const std::vector<std::string>& arguments);

    const GlobalOptions& Global() const { return m_global; }

private:
    void AddGlobalOptions();
    void Add(std::unique_ptr<CSubcommand> command);
    CSubcommand* Chosen() const;
    std::string UsageError(const CLI::ParseError& error) const;

    CLI::App m_app;
    GlobalOptions m_global;
    bool m_globalInvalid = false; // a global option's value was refused
    std::vector<std::pair<CLI::App*, std::unique_ptr<CSubcommand>>> m_commands;
};

} // namespace cli
