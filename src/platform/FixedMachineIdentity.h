#pragma once

#include "platform/MachineIdentity.h"

#include <string>
#include <utility>

namespace platform {

// A machine of the test's choosing. An empty identity stands for a machine that has none.
class CFixedMachineIdentity final : public CMachineIdentity {
public:
    explicit CFixedMachineIdentity(std::string identity) : m_identity(std::move(identity)) {}

    bool Read(std::string& identity, std::string& error) const override;

private:
    std::string m_identity;
};

} // namespace platform
