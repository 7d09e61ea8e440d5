#include "heartbeat/ConWatchDog.h"
#include "heartbeat/ReachState.h"
#include "tests/support/GatewaydProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;
using heartbeat::REACH_CAMPUS;
using heartbeat::REACH_DOMESTIC;
using heartbeat::REACH_NONE;

// The states that the change notifications show, in order.
class CStateLog {
public:
    void Changed(int state) {
        const std::lock_guard lock(m_mutex);
        m_states.push_back(state);
        m_added.notify_all();
    }

    // The states seen once there are count of them, or after a bound that only a broken
    // probe reaches.
    std::vector<int> WaitFor(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_added.wait_for(lock, 20s, [&] { return m_states.size() >= count; });
        return m_states;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_added;
    std::vector<int> m_states;
};

// The watchdog and the state machine together, against gatewayd's responders switched
// silent and back, with a probe interval of 500 ms instead of 5 s: long enough that a loaded
// machine does not turn a late answer into a miss, which would add a step to the exact sequence.
TEST(ReachAgainstGatewaydTest, ClimbsAndFallsWithTheResponders) {
    testsupport::CTempFolder folder;
    folder.Write("accounts.ini", "[a]\npassword = Secret-1\n");
    testsupport::CGatewaydProcess gatewayd(folder.Path());
    ASSERT_TRUE(
        gatewayd.Start({"--dir", (folder / "state").string(), "--accounts",
                        (folder / "accounts.ini").string(), "--tls-port", "0", "--campus-port", "0",
                        "--domestic-port", "0", "--port-file", (folder / "port").string()}));
    const auto campus = gatewayd.WaitForPort(folder / "port", "campus");
    const auto domestic = gatewayd.WaitForPort(folder / "port", "domestic");
    ASSERT_TRUE(campus && domestic) << gatewayd.Stderr();
    const auto control = [&folder](const std::string& line) {
        return testsupport::SendGatewaydCommand(folder / "state", line).starts_with("ok");
    };

    CStateLog log;
    const heartbeat::CReachState* reach = nullptr; // set before the probes start
    heartbeat::CReachState watched([&log, &reach] { log.Changed(reach->GetState()); });
    reach = &watched;
    heartbeat::CConWatchDog watchDog;
    ASSERT_TRUE(
        watchDog.RegisterHBS("cam", "127.0.0.1", *campus, 500, &watched, heartbeat::kCampusIndex));
    ASSERT_TRUE(watchDog.RegisterHBS("dom", "localhost", *domestic, 500, &watched,
                                     heartbeat::kDomesticIndex));
    ASSERT_TRUE(watchDog.Start());
    EXPECT_EQ(log.WaitFor(1), std::vector<int>({REACH_DOMESTIC}));
    ASSERT_TRUE(control("heartbeat domestic silent"));
    EXPECT_EQ(log.WaitFor(2), std::vector<int>({REACH_DOMESTIC, REACH_CAMPUS}));
    ASSERT_TRUE(control("heartbeat campus silent"));
    EXPECT_EQ(log.WaitFor(3), std::vector<int>({REACH_DOMESTIC, REACH_CAMPUS, REACH_NONE}));
    ASSERT_TRUE(control("heartbeat domestic answer"));
    ASSERT_TRUE(control("heartbeat campus answer"));
    EXPECT_EQ(log.WaitFor(5), std::vector<int>({REACH_DOMESTIC, REACH_CAMPUS, REACH_NONE,
                                                REACH_CAMPUS, REACH_DOMESTIC}));
    EXPECT_TRUE(watchDog.Stop());
    EXPECT_TRUE(gatewayd.Signal(SIGTERM));
    EXPECT_EQ(gatewayd.WaitForExit(), 0);
}

} // namespace
