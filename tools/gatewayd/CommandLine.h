#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace gatewayd {

// What gatewayd was asked to do:
//   gatewayd --dir DIR --accounts FILE [--host NAME] [--bind ADDR] [--tls-port N]
//            [--port-file FILE] [--http-port N] [--ipmac-file FILE] [--announce-file FILE]
//            [--campus-port N] [--domestic-port N]
//   gatewayd --dir DIR --send LINE
struct Options {
    std::string stateDir;           // --dir, required
    std::string accountsFile;       // --accounts, required
    std::string host = "localhost"; // --host: the name new certificates are issued for
    std::string bindAddress = "127.0.0.1";
    std::uint16_t tlsPort = 5428; // 0 picks a free port
    std::string portFile;         // where to write the bound ports; empty for none
    // The plain-HTTP site, served only when a port is given (0 picks a free one).
    std::optional<std::uint16_t> httpPort;
    std::string ipmacFile;    // the IP-MAC list it serves; empty for none
    std::string announceFile; // the announcement document it serves; empty for none
    // The heartbeat responders, each run only when its port is given (0 picks a free one).
    std::optional<std::uint16_t> campusPort;
    std::optional<std::uint16_t> domesticPort;
    std::string sendLine; // --send: the control line for the gatewayd running in stateDir
};

struct CommandLine {
    enum class Action {
        Run,
        Send,       // --send: hand a control line to the running gatewayd
        ShowHelp,   // --help: print the usage and end successfully
        UsageError, // error says what is wrong
    };
    Action action = Action::Run;
    Options options;
    std::string error;
};

// Reads the arguments after the program name. Each option takes its value as the next
// argument; a repeated option takes the last value.
CommandLine ParseCommandLine(std::span<const char* const> arguments);

// The usage text, ending in a newline.
std::string UsageText();

} // namespace gatewayd
