#include "announce/VORNNotification.h"

#include "FakePopup.h"
#include "platform/GbkCodec.h"
#include "platform/HttpGet.h"
#include "tests/support/GatewaydSite.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/TlsTestServer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using announce::CVORNNotification;
using announce::CVORNNotificationMessage;
using announce_test::CFakePopup;
using testsupport::CGatewaydSite;

using Lines = std::vector<std::string>;

struct Announcement {
    std::string title;
    std::string url = "http://gw.example/n";
};

// The document of the announcements, as GBK bytes.
std::string Document(const std::vector<Announcement>& announcements) {
    std::string document = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<message-list>\n";
    for (const Announcement& announcement : announcements) {
        document += "  <message><title>" + announcement.title + "</title><body>text</body><url>" +
                    announcement.url + "</url></message>\n";
    }
    return platform::GbkFromLiteral(document + "</message-list>\n");
}

std::vector<Announcement> Numbered(const char* prefix, int first, int last) {
    std::vector<Announcement> announcements;
    for (int i = first; i <= last; ++i) {
        announcements.push_back({prefix + std::to_string(i)});
    }
    return announcements;
}

// The kept announcements as "title" or "title*" when shown.
Lines Kept(const CVORNNotification& feed) {
    Lines kept;
    for (const CVORNNotificationMessage& record : feed.Messages().Records()) {
        kept.push_back(record.Title() + (record.IsShown() ? "*" : ""));
    }
    return kept;
}

// One gatewayd for the suite; each test publishes its document.
class Feed : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_site = std::make_unique<CGatewaydSite>();
        s_server.host = "127.0.0.1";
        s_server.httpPort = s_site->Port();
    }
    static void TearDownTestSuite() { s_site.reset(); }
    void SetUp() override { s_site->Withdraw(); }

    static void Publish(const std::string& document) { s_site->PublishAnnouncements(document); }

    // Runs one round with the popup hidden and empty, and answers what it showed.
    Lines HiddenRound(CVORNNotification& feed) {
        m_popup.Hide();
        const std::size_t before = m_popup.Shown().size();
        feed.Cycle();
        const auto shown = m_popup.Shown();
        return shown.size() > before ? shown.back() : Lines{};
    }

    static inline std::unique_ptr<CGatewaydSite> s_site;
    static inline gateway::GatewayServer s_server;
    CFakePopup m_popup;
};

TEST_F(Feed, AnEmptyListShowsNothing) {
    Publish(Document({}));
    CVORNNotification feed(s_server, m_popup);
    feed.Cycle();
    EXPECT_EQ(feed.Messages().Count(), 0u);
    EXPECT_TRUE(m_popup.Shown().empty());
    EXPECT_FALSE(m_popup.IsShowing());
}

TEST_F(Feed, FourLinesTakeTheFirstFourAndTheFifthWaitsForTheNextRound) {
    Publish(Document(Numbered("n", 1, 5)));
    CVORNNotification feed(s_server, m_popup);
    EXPECT_EQ(HiddenRound(feed), (Lines{"n1", "n2", "n3", "n4"}));
    EXPECT_EQ(Kept(feed), (Lines{"n1*", "n2*", "n3*", "n4*", "n5"}));

    // While the popup shows, nothing new is placed and it is not shown again.
    feed.Cycle();
    EXPECT_EQ(m_popup.Shown().size(), 1u);
    EXPECT_EQ(Kept(feed), (Lines{"n1*", "n2*", "n3*", "n4*", "n5"}));

    EXPECT_EQ(HiddenRound(feed), (Lines{"n5"}));
    EXPECT_EQ(HiddenRound(feed), Lines{}); // nothing new: the popup stays down
    EXPECT_EQ(Kept(feed), (Lines{"n1*", "n2*", "n3*", "n4*", "n5*"}));
}

TEST_F(Feed, TwoMessagesWithTheSameTitleCountOnce) {
    Publish(Document({{"same", "http://gw.example/1"}, {"same", "http://gw.example/2"}}));
    CVORNNotification feed(s_server, m_popup);
    EXPECT_EQ(HiddenRound(feed), (Lines{"same"}));
    ASSERT_EQ(feed.Messages().Count(), 1u);
    EXPECT_EQ(feed.Messages().Records().front().Url(), "http://gw.example/1");
}

TEST_F(Feed, AMessageWithoutTitleComesBackEveryRoundAndPushesTheOldestOut) {
    std::vector<Announcement> published = Numbered("v", 1, 9);
    published.push_back({"", "http://gw.example/untitled"});
    Publish(Document(published));
    CVORNNotification feed(s_server, m_popup);

    EXPECT_EQ(HiddenRound(feed), (Lines{"v1", "v2", "v3", "v4"}));
    EXPECT_EQ(Kept(feed), (Lines{"v1*", "v2*", "v3*", "v4*", "v5", "v6", "v7", "v8", "v9", ""}));

    // The untitled one is new again and pushes v1 out.
    EXPECT_EQ(HiddenRound(feed), (Lines{"v5", "v6", "v7", "v8"}));
    EXPECT_EQ(Kept(feed), (Lines{"v2*", "v3*", "v4*", "v5*", "v6*", "v7*", "v8*", "v9", "", ""}));

    // v1 was forgotten, so it is new again and pushes v2 out, which is then new again, and
    // so on down the list: every announcement comes back as new and is shown again.
    EXPECT_EQ(HiddenRound(feed), (Lines{"v1", "v2", "v3", "v4"}));
    EXPECT_EQ(Kept(feed), (Lines{"v1*", "v2*", "v3*", "v4*", "v5", "v6", "v7", "v8", "v9", ""}));
}

TEST_F(Feed, MoreThanTenDistinctMessagesKeepTheLastTen) {
    Publish(Document(Numbered("m", 1, 12)));
    CVORNNotification feed(s_server, m_popup);
    EXPECT_EQ(HiddenRound(feed), (Lines{"m3", "m4", "m5", "m6"}));
    EXPECT_EQ(feed.Messages().Count(), 10u);
    EXPECT_EQ(Kept(feed).front(), "m3*");
    EXPECT_EQ(Kept(feed).back(), "m12");
}

TEST_F(Feed, UsesOnlyTheFirst4096BytesOfTheDocument) {
    std::string head = Document({{"fits"}});
    head.pop_back(); // the document ends with its root's end tag
    const std::string tail = "<!---->";
    for (const std::size_t length : {std::size_t{4096}, std::size_t{4097}}) {
        std::string document = head;
        // Padding inside the root, so the document stays well-formed when whole.
        document.insert(document.rfind("</message-list>"),
                        std::string(length - head.size() - tail.size(), ' ') + tail);
        ASSERT_EQ(document.size(), length);
        Publish(document);
        CFakePopup popup;
        CVORNNotification feed(s_server, popup);
        ASSERT_NE(feed.Fetch(), nullptr) << feed.LastError();
        EXPECT_EQ(feed.Parse().Count(), length <= 4096 ? 1u : 0u) << length;
    }
}

TEST_F(Feed, AGbkTitleArrivesIntact) {
    Publish(Document({{"校园网公告：周六停电", "http://gw.example/停电"}}));
    CVORNNotification feed(s_server, m_popup);
    EXPECT_EQ(HiddenRound(feed), (Lines{platform::GbkFromLiteral("校园网公告：周六停电")}));
    EXPECT_EQ(feed.Messages().Records().front().Url(),
              platform::GbkFromLiteral("http://gw.example/停电"));
}

TEST_F(Feed, AnErrorPageIsAResponseThatGivesNothing) {
    CVORNNotification feed(s_server, m_popup); // no document published: 404
    CVORNNotificationMessage* parsed = feed.Fetch();
    ASSERT_NE(parsed, nullptr) << feed.LastError();
    EXPECT_EQ(parsed->Count(), 0u);
    feed.Cycle();
    EXPECT_TRUE(m_popup.Shown().empty());
}

TEST_F(Feed, WithoutAServerARoundDoesNothingAndSaysWhy) {
    gateway::GatewayServer nowhere = s_server;
    nowhere.httpPort = testsupport::UnusedLoopbackPort();
    m_popup.ForbidCalls();
    CVORNNotification feed(nowhere, m_popup);
    EXPECT_EQ(feed.Fetch(), nullptr);
    EXPECT_NE(feed.LastError().find("Failed to connect"), std::string::npos) << feed.LastError();
    feed.Cycle();
    EXPECT_EQ(m_popup.ForbiddenCalls(), 0);
}

TEST_F(Feed, ItsThreadFetchesAtOnceAndStopEndsTheLongWaitAtOnce) {
    Publish(Document({{"at start"}}));
    CVORNNotification feed(s_server, m_popup); // the real half-hour period
    ASSERT_TRUE(feed.Start());
    EXPECT_FALSE(feed.Start()); // already running
    ASSERT_TRUE(m_popup.WaitForShown(1));
    feed.Stop();
    EXPECT_EQ(m_popup.Shown(), (std::vector<Lines>{{"at start"}}));
    EXPECT_FALSE(feed.Start()); // a stopped feed stays stopped
    feed.Stop();                // and stopping again is harmless
}

TEST_F(Feed, StopEndsADownloadThatWaitsForAnAnswer) {
    testsupport::CSilentListener silent;
    gateway::GatewayServer server = s_server;
    server.httpPort = silent.Port();
    m_popup.ForbidCalls();
    CVORNNotification feed(server, m_popup, CVORNNotification::kPeriod, std::chrono::minutes(10));
    ASSERT_TRUE(feed.Start());
    ASSERT_NE(silent.ReadOneRequest(std::chrono::seconds(30)), "");
    feed.Stop();
    EXPECT_NE(feed.LastError().find("stopped"), std::string::npos) << feed.LastError();
    EXPECT_EQ(m_popup.ForbiddenCalls(), 0);
}

TEST_F(Feed, NothingCallsThePopupOnceStopHasReturned) {
    Publish(Document(Numbered("n", 1, 6)));
    // Rounds follow each other at once, and each offers the popup the two that wait.
    auto feed =
        std::make_unique<CVORNNotification>(s_server, m_popup, std::chrono::milliseconds(1));
    ASSERT_TRUE(feed->Start());
    ASSERT_TRUE(m_popup.WaitForShown(1));
    feed->Stop();
    m_popup.ForbidCalls();
    // Give a thread that outlived Stop the time of a few rounds to show itself.
    for (int i = 0; i < 5; ++i) {
        platform::HttpResponse response;
        std::string error;
        EXPECT_TRUE(platform::HttpGet(s_server.host, s_server.httpPort,
                                      std::string(CVORNNotification::kDocumentPath), 4096, response,
                                      error))
            << error;
    }
    feed.reset();
    EXPECT_EQ(m_popup.ForbiddenCalls(), 0);
    EXPECT_EQ(m_popup.Shown(), (std::vector<Lines>{{"n1", "n2", "n3", "n4"}}));
}

} // namespace
