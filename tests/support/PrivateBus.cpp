#include "tests/support/PrivateBus.h"

#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace testsupport {
namespace {

using namespace std::chrono_literals;

constexpr const char* kAddressVariable = "DBUS_SYSTEM_BUS_ADDRESS";
constexpr const char* kLogind = "org.freedesktop.login1";

bool EmitPrepareForSleep(sd_bus* bus, bool sleeping) {
    return sd_bus_emit_signal(bus, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                              "PrepareForSleep", "b", static_cast<int>(sleeping)) >= 0 &&
           sd_bus_flush(bus) >= 0;
}

} // namespace

CPrivateBus::CPrivateBus(const CTempFolder& folder)
    : m_socket(folder / "bus"), m_address("unix:path=" + m_socket.string()) {
    const std::filesystem::path config = folder.Write(
        "bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                    "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                    "<busconfig><type>system</type><listen>" +
                        m_address +
                        "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                        "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
                        "<allow receive_sender=\"*\"/></policy></busconfig>\n");
    m_pid = SpawnProgram("/usr/bin/dbus-daemon",
                         {"--config-file=" + config.string(), "--nofork", "--nopidfile"},
                         {{}, folder / "bus.out", folder / "bus.err"});
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!IsUp() && m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
}

CPrivateBus::~CPrivateBus() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        WaitForProgram(m_pid);
    }
}

bool CPrivateBus::IsUp() const {
    return m_pid > 0 && std::filesystem::exists(m_socket);
}

CSystemBusAddress::CSystemBusAddress(const std::string& address) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe)
    if (const char* previous = std::getenv(kAddressVariable)) {
        m_previous = previous;
        m_had = true;
    }
    setenv(kAddressVariable, address.c_str(), 1); // NOLINT(concurrency-mt-unsafe)
}

CSystemBusAddress::~CSystemBusAddress() {
    if (m_had) {
        setenv(kAddressVariable, m_previous.c_str(), 1); // NOLINT(concurrency-mt-unsafe)
    } else {
        unsetenv(kAddressVariable); // NOLINT(concurrency-mt-unsafe)
    }
}

CFakeLogind::CFakeLogind() {
    m_ready = sd_bus_open_system(&m_bus) >= 0 && sd_bus_request_name(m_bus, kLogind, 0) >= 0;
}

CFakeLogind::~CFakeLogind() {
    sd_bus_flush_close_unref(m_bus);
}

bool CFakeLogind::PrepareForSleep(bool sleeping) {
    return m_ready && EmitPrepareForSleep(m_bus, sleeping);
}

bool StrangerPrepareForSleep() {
    sd_bus* bus = nullptr;
    const bool emitted = sd_bus_open_system(&bus) >= 0 && EmitPrepareForSleep(bus, false);
    sd_bus_flush_close_unref(bus);
    return emitted;
}

} // namespace testsupport
