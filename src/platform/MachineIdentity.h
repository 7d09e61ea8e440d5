#pragma once

#include <string>

namespace platform {

// What tells this machine from every other. Data sealed to the machine is bound to it, so
// tests stand in one machine or another by handing a different identity.
class CMachineIdentity {
public:
    virtual ~CMachineIdentity() = default;

    // Answers the identity in identity, or false with an English message in error when the
    // machine has none. Leaves identity untouched on false. Safe to call from any thread.
    virtual bool Read(std::string& identity, std::string& error) const = 0;
};

} // namespace platform
