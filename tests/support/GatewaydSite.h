#pragma once

#include "tests/support/GatewaydProcess.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace testsupport {

// gatewayd serving its plain-HTTP site on a free port, from document files in a folder of
// its own that the test writes and removes as it likes; stopped at destruction. Failing
// to start fails the test.
class CGatewaydSite {
public:
    CGatewaydSite();
    ~CGatewaydSite();
    CGatewaydSite(const CGatewaydSite&) = delete;
    CGatewaydSite& operator=(const CGatewaydSite&) = delete;

    std::uint16_t Port() const { return m_port; }

    // The files of "/ipmac/w5hqey" (plain: the site scrambles it) and "/announce/vornmsg.xml".
    std::filesystem::path IpMacFile() const { return m_folder / "ipmac.xml"; }
    std::filesystem::path AnnouncementFile() const { return m_folder / "vornmsg.xml"; }

    void PublishIpMac(std::string_view bytes) const;
    void PublishAnnouncements(std::string_view bytes) const;
    // Removes both documents: the site answers 404 for them.
    void Withdraw() const;

    std::string Stderr() const { return m_process.Stderr(); }

private:
    CTempFolder m_folder;
    CGatewaydProcess m_process{m_folder.Path()};
    std::uint16_t m_port = 0;
};

} // namespace testsupport
