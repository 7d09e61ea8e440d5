#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

struct sd_bus;

namespace testsupport {

class CTempFolder;

// A bus daemon of the test's own, configured as a system bus on which anyone may own any
// name, so that a test can stand in for logind.
class CPrivateBus {
public:
    // Starts dbus-daemon with its socket and files in folder; IsUp says whether it came up.
    explicit CPrivateBus(const CTempFolder& folder);
    ~CPrivateBus();
    CPrivateBus(const CPrivateBus&) = delete;
    CPrivateBus& operator=(const CPrivateBus&) = delete;

    bool IsUp() const;
    const std::string& Address() const { return m_address; }

private:
    std::filesystem::path m_socket;
    std::string m_address;
    pid_t m_pid = -1;
};

// Points $DBUS_SYSTEM_BUS_ADDRESS at address for the life of the object.
class CSystemBusAddress {
public:
    explicit CSystemBusAddress(const std::string& address);
    ~CSystemBusAddress();
    CSystemBusAddress(const CSystemBusAddress&) = delete;
    CSystemBusAddress& operator=(const CSystemBusAddress&) = delete;

private:
    std::string m_previous;
    bool m_had = false;
};

// A connection to the system bus ($DBUS_SYSTEM_BUS_ADDRESS) that owns logind's name and
// emits its signals.
class CFakeLogind {
public:
    // IsReady says whether the connection and the name were had.
    CFakeLogind();
    ~CFakeLogind();
    CFakeLogind(const CFakeLogind&) = delete;
    CFakeLogind& operator=(const CFakeLogind&) = delete;

    bool IsReady() const { return m_ready; }

    // Emits PrepareForSleep(sleeping) and flushes it; false when that fails.
    bool PrepareForSleep(bool sleeping);

private:
    sd_bus* m_bus = nullptr;
    bool m_ready = false;
};

// Emits PrepareForSleep(false) as another sender than logind; false when that fails.
bool StrangerPrepareForSleep();

} // namespace testsupport
