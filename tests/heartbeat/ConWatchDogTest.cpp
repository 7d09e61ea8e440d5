#include "heartbeat/ConWatchDog.h"

#include "platform/ScriptedHostLookup.h"
#include "platform/StopWaker.h"
#include "platform/SystemHostLookup.h"
#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Short enough for a fast suite, long enough that a loaded machine still answers in time:
// a server on loopback answers within microseconds, and the probe waits this long.
constexpr std::int32_t kInterval = 200;

// Only a broken probe takes this long to call back; a slow machine stays far below it.
constexpr auto kBound = 20s;

// A heartbeat server on loopback that answers every probe 'r' with a scripted datagram.
class CTestServer {
public:
    struct Script {
        std::optional<std::string> reply = "A"; // nothing: silent
        std::chrono::milliseconds delay{0};     // from the probe to the reply
        bool fromOtherAddress = false;          // reply from 127.0.0.2 instead
    };

    explicit CTestServer(Script script) : m_script(std::move(script)) {
        EXPECT_TRUE(m_socket.Open() && m_socket.Bind("127.0.0.1", 0));
        EXPECT_TRUE(m_other.Open() && m_other.Bind("127.0.0.2", 0));
        m_thread = std::jthread([this](const std::stop_token& stop) { Serve(stop); });
    }

    std::uint16_t Port() const { return m_socket.LocalPort(); }
    int Probes() const { return m_probes; }

private:
    void Serve(const std::stop_token& stop) {
        const platform::CStopWaker waker(stop);
        for (;;) {
            const platform::WaitResult waited = platform::WaitReadable(m_socket.Fd(), 1h, waker);
            if (waited == platform::WaitResult::Stopped) {
                return;
            }
            char probe[16];
            platform::Ipv4Endpoint sender;
            if (m_socket.Receive(probe, &sender) != 1 || probe[0] != 'r') {
                continue;
            }
            ++m_probes;
            if (!m_script.reply || platform::WaitReadable(-1, m_script.delay, waker) ==
                                       platform::WaitResult::Stopped) {
                continue;
            }
            platform::CUdpSocket& from = m_script.fromOtherAddress ? m_other : m_socket;
            EXPECT_TRUE(from.SendTo(sender, *m_script.reply));
        }
    }

    const Script m_script;
    platform::CUdpSocket m_socket;
    platform::CUdpSocket m_other;
    std::atomic<int> m_probes{0};
    std::jthread m_thread; // last, so it ends before the sockets close
};

struct Callback {
    int index;
    bool reply;
    Clock::time_point at;
};

// Records every callback; a test waits for as many as it needs.
class CRecorder : public heartbeat::CHBHandler {
public:
    void OnHBReply(int index) override { Add(index, true); }
    void OnHBNoReply(int index) override { Add(index, false); }

    // The first count callbacks; fewer when they do not come within the bound.
    std::vector<Callback> WaitFor(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_added.wait_for(lock, kBound, [&] { return m_callbacks.size() >= count; });
        return {m_callbacks.begin(),
                m_callbacks.begin() + static_cast<long>(std::min(count, m_callbacks.size()))};
    }

    std::size_t Count() {
        const std::lock_guard lock(m_mutex);
        return m_callbacks.size();
    }

    // Callbacks between Forbid and Allow count as faults.
    void Forbid() { m_forbidden = true; }
    void Allow() { m_forbidden = false; }
    bool SawForbidden() const { return m_sawForbidden; }

private:
    void Add(int index, bool reply) {
        if (m_forbidden) {
            m_sawForbidden = true;
        }
        const std::lock_guard lock(m_mutex);
        m_callbacks.push_back({index, reply, Clock::now()});
        m_added.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_added;
    std::vector<Callback> m_callbacks;
    std::atomic<bool> m_forbidden{false};
    std::atomic<bool> m_sawForbidden{false};
};

// One probe of index 7 against a server with script, stopped after count callbacks.
struct ProbeRun {
    Clock::time_point start;
    std::vector<Callback> callbacks; // the first count
    std::size_t total = 0;           // every callback up to the stop
    int probes = 0;                  // as the server counted them
};

ProbeRun RunProbe(const CTestServer::Script& script, std::int32_t interval, std::size_t count) {
    CTestServer server(script);
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog;
    ProbeRun run;
    run.start = Clock::now();
    EXPECT_TRUE(watchDog.RegisterHBS("cam", "127.0.0.1", server.Port(), interval, &recorder, 7));
    EXPECT_TRUE(watchDog.Start());
    run.callbacks = recorder.WaitFor(count);
    EXPECT_TRUE(watchDog.Stop());
    run.total = recorder.Count();
    run.probes = server.Probes();
    return run;
}

struct ReplyCase {
    std::string name;
    CTestServer::Script script;
    bool reply;
};

std::ostream& operator<<(std::ostream& out, const ReplyCase& row) {
    return out << row.name;
}

class ProbeReplyTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(ProbeReplyTest, JudgesTheFirstAnswer) {
    const ProbeRun run = RunProbe(GetParam().script, kInterval, 1);
    ASSERT_EQ(run.callbacks.size(), 1U);
    EXPECT_EQ(run.callbacks[0].index, 7);
    EXPECT_EQ(run.callbacks[0].reply, GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ProbeReplyTest,
    testing::Values(ReplyCase{"single_A", {"A"}, true}, ReplyCase{"lower_case_a", {"a"}, false},
                    ReplyCase{"two_A", {"AA"}, false}, ReplyCase{"empty", {""}, false},
                    ReplyCase{"longer_than_buffer", {std::string(129, 'A')}, false},
                    ReplyCase{"other_byte", {"r"}, false},
                    ReplyCase{"from_other_address", {"A", 0ms, true}, true},
                    ReplyCase{"silent", {std::nullopt}, false}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

TEST(ConWatchDogTest, LateReplyAfterTheSleepCountsForItsCycle) {
    // Each reply comes 7/5 of the interval after its probe, inside the wait.
    const ProbeRun run = RunProbe({"A", 700ms}, 500, 2);
    ASSERT_EQ(run.callbacks.size(), 2U);
    EXPECT_TRUE(run.callbacks[0].reply);
    EXPECT_TRUE(run.callbacks[1].reply);
}

// Four cycles against an answering or a silent server: one probe each, and the shortest
// time a cycle can take, in intervals.
struct CycleCase {
    std::string name;
    CTestServer::Script script;
    bool reply;
    int intervalsPerCycle;
};

std::ostream& operator<<(std::ostream& out, const CycleCase& row) {
    return out << row.name;
}

class ProbeCycleTest : public testing::TestWithParam<CycleCase> {};

TEST_P(ProbeCycleTest, OneProbeAndOneCallbackPerCycle) {
    const CycleCase& row = GetParam();
    const ProbeRun run = RunProbe(row.script, kInterval, 4);
    ASSERT_EQ(run.callbacks.size(), 4U);
    auto previous = run.start;
    for (const Callback& callback : run.callbacks) {
        EXPECT_EQ(callback.reply, row.reply);
        EXPECT_GE(callback.at - previous,
                  row.intervalsPerCycle * std::chrono::milliseconds(kInterval));
        previous = callback.at;
    }
    // The cycle under way at the stop may have sent one probe more.
    EXPECT_GE(static_cast<std::size_t>(run.probes), run.total);
    EXPECT_LE(static_cast<std::size_t>(run.probes), run.total + 1);
}

INSTANTIATE_TEST_SUITE_P(Servers, ProbeCycleTest,
                         testing::Values(CycleCase{"answering", {"A"}, true, 1},
                                         CycleCase{"silent", {std::nullopt}, false, 2}),
                         [](const testing::TestParamInfo<CycleCase>& info) {
                             return info.param.name;
                         });

TEST(ConWatchDogTest, ProbesServersSideBySide) {
    CTestServer campus({"A"});
    CTestServer domestic({std::nullopt});
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog;
    ASSERT_TRUE(watchDog.RegisterHBS("cam", "127.0.0.1", campus.Port(), kInterval, &recorder, 0));
    ASSERT_TRUE(watchDog.RegisterHBS("dom", "localhost", domestic.Port(), kInterval, &recorder, 1));
    ASSERT_TRUE(watchDog.Start());
    const std::vector<Callback> callbacks = recorder.WaitFor(6);
    watchDog.Stop();
    ASSERT_EQ(callbacks.size(), 6U);
    for (const Callback& callback : callbacks) {
        EXPECT_EQ(callback.reply, callback.index == 0);
    }
}

TEST(ConWatchDogTest, UnresolvableHostMissesEachCycle) {
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog;
    ASSERT_TRUE(watchDog.RegisterHBS("cam", "no-such-host.onion", 5430, 20, &recorder, 0));
    ASSERT_TRUE(watchDog.Start());
    const std::vector<Callback> callbacks = recorder.WaitFor(2);
    watchDog.Stop();
    ASSERT_EQ(callbacks.size(), 2U);
    EXPECT_FALSE(callbacks[0].reply);
    EXPECT_FALSE(callbacks[1].reply);
}

TEST(ConWatchDogTest, LooksTheHostUpAgainUntilItResolves) {
    CTestServer server({"A"});
    CRecorder recorder;
    platform::CScriptedHostLookup lookup(2, htonl(INADDR_LOOPBACK));
    heartbeat::CConWatchDog watchDog(lookup);
    ASSERT_TRUE(watchDog.RegisterHBS("cam", "hbs.example", server.Port(), kInterval, &recorder, 0));
    ASSERT_TRUE(watchDog.Start());
    const std::vector<Callback> callbacks = recorder.WaitFor(4);
    watchDog.Stop();
    ASSERT_EQ(callbacks.size(), 4U);
    // Nothing to send to until the third lookup; then the address is kept.
    EXPECT_FALSE(callbacks[0].reply);
    EXPECT_FALSE(callbacks[1].reply);
    EXPECT_TRUE(callbacks[2].reply);
    EXPECT_TRUE(callbacks[3].reply);
    EXPECT_EQ(lookup.Lookups(), 3);
}

TEST(ConWatchDogTest, EleventhRegistrationFails) {
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog;
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(watchDog.RegisterHBS("s" + std::to_string(i), "10.0.0." + std::to_string(i),
                                         7000 + i, 1000, &recorder, i));
    }
    EXPECT_FALSE(watchDog.RegisterHBS("extra", "10.0.1.1", 9, 1000, &recorder, 10));
    ASSERT_EQ(watchDog.Count(), 10U);
    for (int i = 0; i < 10; ++i) {
        const heartbeat::HBSRecord& record = watchDog.Server(static_cast<std::size_t>(i));
        EXPECT_EQ(record.name, "s" + std::to_string(i));
        EXPECT_EQ(record.host, "10.0.0." + std::to_string(i));
        EXPECT_EQ(record.port, 7000 + i);
        EXPECT_EQ(record.index, i);
    }
}

TEST(ConWatchDogTest, RefusesWhatCannotProbe) {
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog;
    EXPECT_FALSE(watchDog.RegisterHBS("cam", "10.0.0.1", 1, 1000, nullptr, 0));
    EXPECT_FALSE(watchDog.RegisterHBS("cam", "10.0.0.1", 1, 0, &recorder, 0));
    EXPECT_EQ(watchDog.Count(), 0U);
    ASSERT_TRUE(
        watchDog.RegisterHBS(std::string(40, 'n'), std::string(80, 'h'), 1, 1000, &recorder, 0));
    EXPECT_EQ(watchDog.Server(0).name.Length(), 31U);
    EXPECT_EQ(watchDog.Server(0).host.Length(), 63U);
}

TEST(ConWatchDogTest, StartWithoutServersRuns) {
    heartbeat::CConWatchDog watchDog;
    EXPECT_FALSE(watchDog.IsRunning());
    EXPECT_TRUE(watchDog.Start());
    EXPECT_TRUE(watchDog.IsRunning());
    EXPECT_TRUE(watchDog.Stop());
    EXPECT_FALSE(watchDog.IsRunning());
}

TEST(ConWatchDogTest, StopEndsASleepingProbeAtOnce) {
    CTestServer server({"A"});
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog;
    ASSERT_TRUE(watchDog.RegisterHBS("cam", "127.0.0.1", server.Port(), 60'000, &recorder, 0));
    ASSERT_TRUE(watchDog.Start());
    const auto deadline = Clock::now() + kBound;
    while (server.Probes() == 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(server.Probes(), 1);
    const auto before = Clock::now();
    EXPECT_TRUE(watchDog.Stop());
    // Far under the minute the probe would otherwise sleep.
    EXPECT_LT(Clock::now() - before, 10s);
    EXPECT_FALSE(watchDog.Server(0).socket.IsOpen());
    EXPECT_EQ(recorder.Count(), 0U);
}

TEST(ConWatchDogTest, StopEndsAProbeWaitingForItsDnsServer) {
    platform::CUdpSocket dns; // takes the queries and never answers
    ASSERT_TRUE(dns.Open() && dns.Bind("127.0.0.1", 0));
    platform::CSystemHostLookup lookup({"127.0.0.1:" + std::to_string(dns.LocalPort())});
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog(lookup);
    ASSERT_TRUE(watchDog.RegisterHBS("cam", "hbs.qel.example", 5430, 60'000, &recorder, 0));
    ASSERT_TRUE(watchDog.Start());
    const std::stop_source never;
    const platform::CStopWaker waker(never.get_token());
    ASSERT_EQ(platform::WaitReadable(dns.Fd(), kBound, waker), platform::WaitResult::Ready);
    const auto before = Clock::now();
    EXPECT_TRUE(watchDog.Stop());
    // Unstopped, the lookup would wait for its time-out of seconds.
    EXPECT_LT(Clock::now() - before, 1500ms);
    EXPECT_EQ(recorder.Count(), 0U);
}

TEST(ConWatchDogTest, NoCallbackAfterStopWhereverItComes) {
    CTestServer campus({"A"});
    CTestServer domestic({std::nullopt});
    CRecorder recorder;
    heartbeat::CConWatchDog watchDog;
    ASSERT_TRUE(watchDog.RegisterHBS("cam", "127.0.0.1", campus.Port(), 7, &recorder, 0));
    ASSERT_TRUE(watchDog.RegisterHBS("dom", "127.0.0.1", domestic.Port(), 5, &recorder, 1));
    for (std::size_t round = 1; round <= 12; ++round) {
        recorder.Allow();
        ASSERT_TRUE(watchDog.Start());
        // Stops after a varying number of callbacks, so at varying points of the cycles.
        const std::size_t target = recorder.Count() + round % 3 + 1;
        ASSERT_EQ(recorder.WaitFor(target).size(), target);
        EXPECT_TRUE(watchDog.Stop());
        EXPECT_FALSE(watchDog.Server(0).socket.IsOpen());
        EXPECT_FALSE(watchDog.Server(1).socket.IsOpen());
        recorder.Forbid();
        const std::size_t seen = recorder.Count();
        std::this_thread::sleep_for(30ms); // room for a stray callback to show
        EXPECT_EQ(recorder.Count(), seen);
    }
    EXPECT_FALSE(recorder.SawForbidden());
}

} // namespace
