#include "tests/support/NetworkNamespace.h"

#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>

namespace testsupport {
namespace {

std::filesystem::path IpProgram() {
    constexpr std::array<const char*, 4> kPlaces = {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip",
                                                    "/bin/ip"};
    for (const char* place : kPlaces) {
        if (access(place, X_OK) == 0) {
            return place;
        }
    }
    return {};
}

bool RunIp(const std::vector<std::string>& arguments, std::string* out = nullptr) {
    const CTempFolder scratch;
    const ProgramRun run = RunProgram(IpProgram(), arguments, "", scratch.Path());
    if (run.exitCode != 0) {
        std::string command = "ip";
        for (const std::string& argument : arguments) {
            command += " " + argument;
        }
        ADD_FAILURE() << command << " failed: " << run.err;
        return false;
    }
    if (out != nullptr) {
        *out = run.out;
    }
    return true;
}

} // namespace

CNetworkNamespace::CNetworkNamespace(std::string_view purpose) {
    static std::atomic<int> made{0};
    m_name = "vorn-" + std::string(purpose) + "-" + std::to_string(getpid()) + "-" +
             std::to_string(made++);
    m_created = RunIp({"netns", "add", m_name});
}

CNetworkNamespace::~CNetworkNamespace() {
    if (m_created) {
        RunIp({"netns", "delete", m_name});
    }
}

bool CNetworkNamespace::CanCreate(std::string& reason) {
    if (geteuid() != 0) {
        reason = "making a network namespace needs root";
        return false;
    }
    if (IpProgram().empty()) {
        reason = "the ip program of iproute2 is not installed";
        return false;
    }
    return true;
}

bool CNetworkNamespace::Ip(const std::vector<std::string>& arguments) const {
    std::string ignored;
    return Ip(arguments, ignored);
}

bool CNetworkNamespace::Ip(const std::vector<std::string>& arguments, std::string& out) const {
    std::vector<std::string> words = {"-n", m_name};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return m_created && RunIp(words, &out);
}

std::string CNetworkNamespace::UniqueInterfaceName(std::string_view prefix) {
    static std::atomic<int> made{0};
    return std::string(prefix) + std::to_string(getpid()) + "x" + std::to_string(made++);
}

bool CNetworkNamespace::RunInside(const std::function<void()>& work) const {
    bool entered = false;
    std::thread inside([&] {
        const std::string path = "/run/netns/" + m_name;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return;
        }
        // setns moves only this thread; the thread ends afterwards.
        entered = setns(fd, CLONE_NEWNET) == 0;
        close(fd);
        if (entered) {
            work();
        }
    });
    inside.join();
    if (!entered) {
        ADD_FAILURE() << "cannot enter the network namespace " << m_name;
    }
    return entered;
}

} // namespace testsupport
