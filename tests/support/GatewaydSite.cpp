#include "tests/support/GatewaydSite.h"

#include <gtest/gtest.h>

#include <csignal>

namespace testsupport {

CGatewaydSite::CGatewaydSite() {
    const std::optional<std::uint16_t> port =
        m_process.StartSite(m_folder.Path(), {"--ipmac-file", IpMacFile().string(),
                                              "--announce-file", AnnouncementFile().string()});
    if (!port) {
        ADD_FAILURE() << "gatewayd did not start: " << m_process.Stderr();
        return;
    }
    m_port = *port;
}

CGatewaydSite::~CGatewaydSite() {
    m_process.Signal(SIGTERM);
    m_process.WaitForExit();
}

void CGatewaydSite::PublishIpMac(std::string_view bytes) const {
    WriteBytes(IpMacFile(), bytes);
}

void CGatewaydSite::PublishAnnouncements(std::string_view bytes) const {
    WriteBytes(AnnouncementFile(), bytes);
}

void CGatewaydSite::Withdraw() const {
    std::error_code ignored;
    std::filesystem::remove(IpMacFile(), ignored);
    std::filesystem::remove(AnnouncementFile(), ignored);
}

} // namespace testsupport
