#include "platform/FixedMachineIdentity.h"

namespace platform {

bool CFixedMachineIdentity::Read(std::string& identity, std::string& error) const {
    if (m_identity.empty()) {
        error = "the machine has no machine-id";
        return false;
    }
    identity = m_identity;
    return true;
}

} // namespace platform
