#include "platform/ResumeWatch.h"

#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Points the system bus at address for the life of the object.
class CSystemBusAddress {
public:
    explicit CSystemBusAddress(const std::string& address) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe)
        if (const char* previous = std::getenv(kVariable)) {
            m_previous = previous;
            m_had = true;
        }
        EXPECT_EQ(setenv(kVariable, address.c_str(), 1), 0); // NOLINT(concurrency-mt-unsafe)
    }
    ~CSystemBusAddress() {
        if (m_had) {
            setenv(kVariable, m_previous.c_str(), 1); // NOLINT(concurrency-mt-unsafe)
        } else {
            unsetenv(kVariable); // NOLINT(concurrency-mt-unsafe)
        }
    }
    CSystemBusAddress(const CSystemBusAddress&) = delete;
    CSystemBusAddress& operator=(const CSystemBusAddress&) = delete;

private:
    static constexpr const char* kVariable = "DBUS_SYSTEM_BUS_ADDRESS";
    std::string m_previous;
    bool m_had = false;
};

TEST(ResumeWatchTest, WithoutASystemBusStartsNothingAndFailsNothing) {
    testsupport::CTempFolder folder;
    const CSystemBusAddress address("unix:path=" + (folder / "no-bus").string());
    std::atomic<int> resumes{0};
    platform::CResumeWatch watch([&resumes] { ++resumes; });
    EXPECT_FALSE(watch.Start());
    EXPECT_FALSE(watch.IsRunning());
    watch.Stop();
    watch.Stop();
    EXPECT_EQ(resumes, 0);
}

// A private bus daemon that the test may own logind's name on.
class CPrivateBus {
public:
    explicit CPrivateBus(const testsupport::CTempFolder& folder)
        : m_socket(folder / "bus"), m_address("unix:path=" + m_socket.string()) {
        const std::filesystem::path config = folder.Write(
            "bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                        "Configuration 1.0//EN\" "
                        "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                        "<busconfig><type>system</type><listen>" +
                            m_address +
                            "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                            "<allow user=\"*\"/><allow own=\"*\"/>"
                            "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
                            "</policy></busconfig>\n");
        m_pid = testsupport::SpawnProgram(
            "/usr/bin/dbus-daemon", {"--config-file=" + config.string(), "--nofork", "--nopidfile"},
            {{}, folder / "bus.out", folder / "bus.err"});
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!std::filesystem::exists(m_socket) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
    }
    ~CPrivateBus() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            testsupport::WaitForProgram(m_pid);
        }
    }
    CPrivateBus(const CPrivateBus&) = delete;
    CPrivateBus& operator=(const CPrivateBus&) = delete;

    bool IsUp() const { return m_pid > 0 && std::filesystem::exists(m_socket); }
    const std::string& Address() const { return m_address; }

private:
    std::filesystem::path m_socket;
    std::string m_address;
    pid_t m_pid = -1;
};

// Emits logind's PrepareForSleep(sleeping) from bus, which owns logind's name.
void EmitPrepareForSleep(sd_bus* bus, bool sleeping) {
    ASSERT_GE(sd_bus_emit_signal(bus, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                 "PrepareForSleep", "b", static_cast<int>(sleeping)),
              0);
    ASSERT_GE(sd_bus_flush(bus), 0);
}

TEST(ResumeWatchTest, ReportsEachResumeThatLogindAnnounces) {
    testsupport::CTempFolder folder;
    const CPrivateBus daemon(folder);
    ASSERT_TRUE(daemon.IsUp()) << testsupport::ReadFile(folder / "bus.err");
    const CSystemBusAddress address(daemon.Address());

    sd_bus* logind = nullptr;
    ASSERT_GE(sd_bus_open_system(&logind), 0);
    ASSERT_GE(sd_bus_request_name(logind, "org.freedesktop.login1", 0), 0);

    std::atomic<int> resumes{0};
    platform::CResumeWatch watch([&resumes] { ++resumes; });
    ASSERT_TRUE(watch.Start());
    // Going to sleep is no resume; another sender's signal is none either.
    sd_bus* stranger = nullptr;
    ASSERT_GE(sd_bus_open_system(&stranger), 0);
    EmitPrepareForSleep(stranger, false);
    sd_bus_flush_close_unref(stranger);
    EmitPrepareForSleep(logind, true);
    EmitPrepareForSleep(logind, false);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (resumes < 1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(resumes, 1);
    EmitPrepareForSleep(logind, false);
    while (resumes < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(resumes, 2);

    watch.Stop();
    EXPECT_FALSE(watch.IsRunning());
    EmitPrepareForSleep(logind, false);
    sd_bus_flush_close_unref(logind);
    EXPECT_EQ(resumes, 2);
}

} // namespace
