#include "platform/SystemHostLookup.h"

#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Status = platform::ResolvedHost::Status;

struct LookupCase {
    std::string host;
    Status status;
    std::string address;
};

// Names that never reach a DNS server.
TEST(SystemHostLookupTest, ResolvesWithoutTheNetwork) {
    const LookupCase cases[] = {
        {"127.0.0.1", Status::Resolved, "127.0.0.1"},
        {"10.1.2.3", Status::Resolved, "10.1.2.3"},
        {"localhost", Status::Resolved, "127.0.0.1"},
        {"hidden-service.onion", Status::Failed, ""},
    };
    platform::CSystemHostLookup lookup;
    const std::stop_source never;
    const platform::CStopWaker waker(never.get_token());
    for (const LookupCase& row : cases) {
        const platform::ResolvedHost resolved = lookup.ResolveIPv4(row.host, waker);
        EXPECT_EQ(resolved.status, row.status) << row.host;
        if (row.status == Status::Resolved) {
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &resolved.address, text, sizeof text);
            EXPECT_EQ(std::string(text), row.address) << row.host;
        }
    }
}

TEST(SystemHostLookupTest, AStopEndsALookupThatWaitsForTheDnsServer) {
    // A DNS server that takes the queries and never answers.
    platform::CUdpSocket dns;
    ASSERT_TRUE(dns.Open() && dns.Bind("127.0.0.1", 0));
    platform::CSystemHostLookup lookup({"127.0.0.1:" + std::to_string(dns.LocalPort())});
    std::stop_source stop;
    std::thread stopper([&] {
        const std::stop_source never;
        const platform::CStopWaker waker(never.get_token());
        // Once the query is there, the lookup waits for its answer.
        EXPECT_EQ(platform::WaitReadable(dns.Fd(), 20s, waker), platform::WaitResult::Ready);
        stop.request_stop();
    });
    const platform::CStopWaker waker(stop.get_token());
    const auto start = std::chrono::steady_clock::now();
    const platform::ResolvedHost resolved = lookup.ResolveIPv4("hbs.qel.example", waker);
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_EQ(resolved.status, Status::Stopped);
    // Unstopped, the lookup would wait for its time-out of seconds.
    EXPECT_LT(took, 1500ms);
}

// A dotted address is its own answer: a DNS server that never answers does not delay it,
// and nothing is asked of it.
TEST(SystemHostLookupTest, DottedAddressesNeedNoDnsServer) {
    platform::CUdpSocket dns;
    ASSERT_TRUE(dns.Open() && dns.Bind("127.0.0.1", 0));
    platform::CSystemHostLookup lookup({"127.0.0.1:" + std::to_string(dns.LocalPort())});
    const std::stop_source never;
    const platform::CStopWaker waker(never.get_token());
    const platform::ResolvedHost resolved = lookup.ResolveIPv4("192.0.2.7", waker);
    EXPECT_EQ(resolved.status, Status::Resolved);
    EXPECT_EQ(resolved.address, inet_addr("192.0.2.7"));
    EXPECT_EQ(platform::WaitReadable(dns.Fd(), 0ms, waker), platform::WaitResult::TimedOut);
}

TEST(SystemHostLookupTest, AStopBeforeTheLookupEndsItAtOnce) {
    platform::CUdpSocket dns; // never answers
    ASSERT_TRUE(dns.Open() && dns.Bind("127.0.0.1", 0));
    platform::CSystemHostLookup lookup({"127.0.0.1:" + std::to_string(dns.LocalPort())});
    std::stop_source stop;
    stop.request_stop();
    const platform::CStopWaker waker(stop.get_token());
    EXPECT_EQ(lookup.ResolveIPv4("hbs.qel.example", waker).status, Status::Stopped);
}

} // namespace
