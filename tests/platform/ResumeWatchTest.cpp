#include "platform/ResumeWatch.h"

#include "tests/support/PrivateBus.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::CSystemBusAddress;

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

// Waits, bounded, until count reaches at least expected; answers it then.
int WaitForCount(const std::atomic<int>& count, int expected) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (count < expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    return count;
}

TEST(ResumeWatchTest, ReportsEachResumeThatLogindAnnounces) {
    testsupport::CTempFolder folder;
    const testsupport::CPrivateBus daemon(folder);
    ASSERT_TRUE(daemon.IsUp()) << testsupport::ReadFile(folder / "bus.err");
    const CSystemBusAddress address(daemon.Address());
    testsupport::CFakeLogind logind;
    ASSERT_TRUE(logind.IsReady());

    std::atomic<int> resumes{0};
    platform::CResumeWatch watch([&resumes] { ++resumes; });
    ASSERT_TRUE(watch.Start());
    // Another sender's signal is no resume; going to sleep is none either.
    ASSERT_TRUE(testsupport::StrangerPrepareForSleep());
    ASSERT_TRUE(logind.PrepareForSleep(true));
    ASSERT_TRUE(logind.PrepareForSleep(false));
    EXPECT_EQ(WaitForCount(resumes, 1), 1);
    ASSERT_TRUE(logind.PrepareForSleep(false));
    EXPECT_EQ(WaitForCount(resumes, 2), 2);

    watch.Stop();
    EXPECT_FALSE(watch.IsRunning());
}

} // namespace
