#pragma once

#include "platform/MachineIdentity.h"

#include <filesystem>
#include <vector>

namespace platform {

// The identity that the system keeps in a machine-id file: 32 hexadecimal digits on one
// line. The files are tried in order; one that is missing, empty or not of that form (a
// freshly built image holds "uninitialized") is passed over for the next.
class CFileMachineIdentity final : public CMachineIdentity {
public:
    // The files of systemd and of D-Bus.
    CFileMachineIdentity();
    explicit CFileMachineIdentity(std::vector<std::filesystem::path> candidates);

    bool Read(std::string& identity, std::string& error) const override;

private:
    std::vector<std::filesystem::path> m_candidates;
};

// The identity of the machine the process runs on, from the standard files.
const CMachineIdentity& SystemMachineIdentity();

} // namespace platform
