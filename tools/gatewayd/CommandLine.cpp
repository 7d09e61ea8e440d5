#include "tools/gatewayd/CommandLine.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>
#include <string_view>

namespace gatewayd {
namespace {

bool IsNumericAddress(const std::string& address) {
    in6_addr scratch{};
    return inet_pton(AF_INET, address.c_str(), &scratch) == 1 ||
           inet_pton(AF_INET6, address.c_str(), &scratch) == 1;
}

bool ParsePort(std::string_view text, std::uint16_t& port) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 65535) {
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

CommandLine UsageError(std::string error) {
    CommandLine result;
    result.action = CommandLine::Action::UsageError;
    result.error = std::move(error);
    return result;
}

} // namespace

CommandLine ParseCommandLine(std::span<const char* const> arguments) {
    CommandLine result;
    Options& options = result.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view option = arguments[i];
        if (option == "--help" || option == "-h") {
            result.action = CommandLine::Action::ShowHelp;
            return result;
        }
        std::string* target = nullptr;
        std::uint16_t* portTarget = nullptr;
        if (option == "--dir") {
            target = &options.stateDir;
        } else if (option == "--accounts") {
            target = &options.accountsFile;
        } else if (option == "--host") {
            target = &options.host;
        } else if (option == "--bind") {
            target = &options.bindAddress;
        } else if (option == "--port-file") {
            target = &options.portFile;
        } else if (option == "--ipmac-file") {
            target = &options.ipmacFile;
        } else if (option == "--announce-file") {
            target = &options.announceFile;
        } else if (option == "--tls-port") {
            portTarget = &options.tlsPort;
        } else if (option == "--http-port") {
            portTarget = &options.httpPort.emplace();
        } else if (option == "--campus-port") {
            portTarget = &options.campusPort.emplace();
        } else if (option == "--domestic-port") {
            portTarget = &options.domesticPort.emplace();
        } else if (option == "--send") {
            target = &options.sendLine;
        } else {
            return UsageError("unknown option \"" + std::string(option) + "\"");
        }
        if (i + 1 == arguments.size()) {
            return UsageError(std::string(option) + " needs a value");
        }
        const std::string_view value = arguments[++i];
        if (value.empty()) {
            return UsageError(std::string(option) + " needs a non-empty value");
        }
        if (target != nullptr) {
            *target = value;
            continue;
        }
        if (!ParsePort(value, *portTarget)) {
            return UsageError(std::string(option) + " takes a port from 0 to 65535, not \"" +
                              std::string(value) + "\"");
        }
    }
    if (options.stateDir.empty()) {
        return UsageError("--dir is required");
    }
    if (!options.sendLine.empty()) {
        result.action = CommandLine::Action::Send;
        return result;
    }
    if (options.accountsFile.empty()) {
        return UsageError("--accounts is required");
    }
    if (!IsNumericAddress(options.bindAddress)) {
        return UsageError("--bind takes a numeric IPv4 or IPv6 address, not \"" +
                          options.bindAddress + "\"");
    }
    return result;
}

std::string UsageText() {
    return "usage: gatewayd --dir DIR --accounts FILE [--host NAME] [--bind ADDR]\n"
           "                [--tls-port N] [--port-file FILE]\n"
           "                [--http-port N] [--ipmac-file FILE] [--announce-file FILE]\n"
           "                [--campus-port N] [--domestic-port N]\n"
           "       gatewayd --dir DIR --send LINE\n"
           "  --dir DIR         state folder: ca.cer (for the clients), server.cer, server.key\n"
           "  --accounts FILE   the accounts (see accounts.sample)\n"
           "  --host NAME       name that new certificates are issued for (localhost)\n"
           "  --bind ADDR       address to listen on (127.0.0.1)\n"
           "  --tls-port N      gateway port, 0 for a free one (5428)\n"
           "  --port-file FILE  once listening, write the TLS port there on a line of its\n"
           "                    own, then \"http PORT\" when the HTTP site is served, and\n"
           "                    \"campus PORT\" and \"domestic PORT\" for the responders\n"
           "  --http-port N     serve the HTTP site on this port, 0 for a free one (off)\n"
           "  --ipmac-file FILE the IP-MAC list for /ipmac/w5hqey, sent XOR 0xD6 (none)\n"
           "  --announce-file FILE\n"
           "                    the document for /announce/vornmsg.xml, as it is (none)\n"
           "  A document that is not given or whose file is missing answers 404; the files\n"
           "  are read at every request.\n"
           "  --campus-port N, --domestic-port N\n"
           "                    run a heartbeat responder on that UDP port (0 for a free one):\n"
           "                    it answers each probe 'r' with 'A'\n"
           "  --send LINE       hand LINE to the gatewayd running with --dir DIR through its\n"
           "                    control socket DIR/control, print its answer, and end (0 when\n"
           "                    the answer starts with \"ok\"). Lines:\n"
           "                      heartbeat campus|domestic silent   stop answering probes\n"
           "                      heartbeat campus|domestic answer   answer them again\n"
           "                      connections ACCOUNT   how many connections it has open\n"
           "                      drop ACCOUNT          end them as an idle time-out does;\n"
           "                                            the domestic responder is silent\n"
           "                                            until the account connects again\n";
}

} // namespace gatewayd
