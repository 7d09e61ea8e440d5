// Times the announcement feed against a running gatewayd that publishes a document: the
// fetch (download and parse) and the parse alone, as medians over COUNT rounds, and how
// long Stop takes while the thread waits for its next round.
// Usage: bench_feed_rounds HOST HTTP_PORT COUNT
#include "announce/VORNNotification.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Counts the popups the feed shows, so the benchmark knows when the thread has done its
// first round.
class CCountingPopup : public announce::CNotificationPopup {
public:
    bool AddMessage(const announce::CVORNNotificationMessage&) override { return true; }
    bool Popup() override {
        const std::lock_guard lock(m_mutex);
        ++m_popups;
        m_changed.notify_all();
        return true;
    }
    bool WaitForFirst() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_popups > 0; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_popups = 0;
};

template <typename Work>
double MedianMicros(int count, Work work) {
    std::vector<double> micros;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(micros.begin(), micros.begin() + count / 2, micros.end());
    return micros[count / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s HOST HTTP_PORT COUNT\n", argv[0]);
        return 64;
    }
    gateway::GatewayServer server{argv[1]};
    server.httpPort = static_cast<std::uint16_t>(std::stoi(argv[2]));
    const int count = std::max(1, std::stoi(argv[3]));

    CCountingPopup popup;
    announce::CVORNNotification feed(server, popup);
    std::size_t announcements = 0;
    bool failed = false;
    const double fetch = MedianMicros(count, [&] {
        const announce::CVORNNotificationMessage* parsed = feed.Fetch();
        failed = failed || parsed == nullptr;
        announcements = parsed != nullptr ? parsed->Count() : 0;
    });
    if (failed) {
        std::fprintf(stderr, "a fetch failed: %s\n", feed.LastError().c_str());
        return 1;
    }
    const double parse = MedianMicros(count, [&] { feed.Parse(); });

    if (!feed.Start() || !popup.WaitForFirst()) {
        std::fprintf(stderr, "the feed's first round did not show the popup\n");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    feed.Stop();
    const double stop =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();

    std::printf("announcements in the document: %zu\n", announcements);
    std::printf("fetch (download and parse) median: %.1f us over %d rounds\n", fetch, count);
    std::printf("parse alone median:                %.1f us over %d rounds\n", parse, count);
    std::printf("Stop during the half-hour wait:     %.1f us\n", stop);
    return 0;
}
