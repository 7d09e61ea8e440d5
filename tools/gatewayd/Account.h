#pragma once

#include <optional>
#include <string>

namespace gatewayd {

// One account of the gateway. Every text is GBK, as it travels on the wire.
struct Account {
    std::string name;
    std::string password;
    std::string balance;                 // shown by the client as it is
    std::optional<std::string> package;  // the monthly package's description, if it has one
    std::optional<std::string> timeUsed; // time used under the package, if known
    bool paidAddresses = false;          // may reach paid addresses (range '1')
    int connectionLimit = 1;             // how many connections may be open at once
    bool arrearsMode = false;            // disconnected when the balance runs out
};

} // namespace gatewayd
