#pragma once

namespace CLI {
class App;
} // namespace CLI

namespace cli {

class CCommandContext;

// One vornctl subcommand: its options live in the object, filled by the parse.
class CSubcommand {
public:
    virtual ~CSubcommand() = default;

    // Adds the subcommand, its options and their checks to parent; answers the subcommand.
    // Checks that span several options throw CLI::ValidationError from the subcommand's
    // callback, so that they are usage errors like the library's own.
    virtual CLI::App* Register(CLI::App& parent) = 0;

    // Runs the parsed command in the working directory; answers the exit status.
    virtual int Run(CCommandContext& context) = 0;
};

} // namespace cli
