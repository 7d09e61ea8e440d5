#include "platform/HttpGet.h"

#include "tests/support/GatewaydSite.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/TlsTestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>

namespace {

using testsupport::CGatewaydSite;
using testsupport::CSilentListener;

constexpr const char* kAnnouncementPath = "/announce/vornmsg.xml";
constexpr const char* kIpMacPath = "/ipmac/w5hqey";

// Bytes of every value, so that the scrambling and the body are checked byte for byte.
std::string AllBytes(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>(i * 7 % 256);
    }
    return bytes;
}

std::string Scrambled(std::string bytes) {
    for (char& byte : bytes) {
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0xD6);
    }
    return bytes;
}

// One gatewayd for the suite; each test publishes what it needs.
class HttpGet : public testing::Test {
protected:
    static void SetUpTestSuite() { s_site = std::make_unique<CGatewaydSite>(); }
    static void TearDownTestSuite() { s_site.reset(); }
    void SetUp() override { s_site->Withdraw(); }

    static bool Get(const std::string& path, std::size_t maxBody, platform::HttpResponse& response,
                    std::string& error) {
        return platform::HttpGet("127.0.0.1", s_site->Port(), path, maxBody, response, error);
    }

    static inline std::unique_ptr<CGatewaydSite> s_site;
};

TEST_F(HttpGet, ReceivesTheDocumentsAsTheServerSendsThem) {
    const std::string document = AllBytes(3000);
    s_site->PublishAnnouncements(document);
    s_site->PublishIpMac(document);

    platform::HttpResponse announcement;
    std::string error;
    ASSERT_TRUE(Get(kAnnouncementPath, 4096, announcement, error)) << error;
    EXPECT_EQ(announcement.status, 200);
    EXPECT_EQ(announcement.body, document);
    EXPECT_FALSE(announcement.truncated);

    platform::HttpResponse list;
    ASSERT_TRUE(Get(kIpMacPath, 32767, list, error)) << error;
    EXPECT_EQ(list.status, 200);
    EXPECT_EQ(list.body, Scrambled(document));
}

TEST_F(HttpGet, AnswersAnErrorStatusAsAResponse) {
    struct Case {
        const char* path;
        long status;
    };
    // The files are absent; an unknown path is absent whatever is published.
    for (const Case& c : {Case{kAnnouncementPath, 404}, Case{kIpMacPath, 404},
                          Case{"/announce/other.xml", 404}, Case{"/", 404}}) {
        platform::HttpResponse response;
        std::string error;
        ASSERT_TRUE(Get(c.path, 4096, response, error)) << c.path << ": " << error;
        EXPECT_EQ(response.status, c.status) << c.path;
    }
}

TEST_F(HttpGet, KeepsAtMostTheBoundAndSaysWhenItCut) {
    struct Case {
        std::size_t documentLength;
        std::size_t bound;
        bool truncated;
    };
    for (const Case& c : {Case{4096, 4096, false}, Case{4097, 4096, true},
                          Case{200'000, 4096, true}, Case{1, 0, true}, Case{0, 0, false}}) {
        const std::string document = AllBytes(c.documentLength);
        s_site->PublishAnnouncements(document);
        platform::HttpResponse response;
        std::string error;
        ASSERT_TRUE(Get(kAnnouncementPath, c.bound, response, error)) << error;
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.body, document.substr(0, c.bound)) << c.documentLength;
        EXPECT_EQ(response.truncated, c.truncated) << c.documentLength;
    }
}

TEST_F(HttpGet, NeverGoesThroughTheEnvironmentsProxy) {
    s_site->PublishAnnouncements("<message-list/>");
    // A proxy that refuses every connection: a request sent through it would fail.
    const std::string proxy =
        "http://127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort());
    const char* const variables[] = {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"};
    // The test's only thread changes the environment while nothing else reads it.
    for (const char* variable : variables) {
        ASSERT_EQ(setenv(variable, proxy.c_str(), 1), 0); // NOLINT(concurrency-mt-unsafe)
    }
    platform::HttpResponse response;
    std::string error;
    const bool received = Get(kAnnouncementPath, 4096, response, error);
    for (const char* variable : variables) {
        unsetenv(variable); // NOLINT(concurrency-mt-unsafe)
    }
    ASSERT_TRUE(received) << error;
    EXPECT_EQ(response.body, "<message-list/>");
}

TEST(HttpGetRequest, IsAPlainGetWithTheClientsUserAgent) {
    CSilentListener server;
    bool received = true;
    std::string error;
    std::thread client([&] {
        platform::HttpResponse response;
        received = platform::HttpGet("127.0.0.1", server.Port(), kAnnouncementPath, 4096, response,
                                     error, std::chrono::seconds(20));
    });
    const std::string request = server.ReadOneRequest(std::chrono::seconds(20));
    server.Hangup();
    client.join();
    EXPECT_EQ(request.rfind("GET /announce/vornmsg.xml HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nUser-Agent: VORNClient\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"),
              std::string::npos)
        << request;
    // The server closed without a word: no response.
    EXPECT_FALSE(received);
    EXPECT_FALSE(error.empty());
}

TEST(HttpGetStop, EndsAWaitingRequestAtOnce) {
    CSilentListener silent;
    std::stop_source stop;
    bool received = true;
    std::string error;
    std::thread client([&] {
        platform::HttpResponse response;
        received = platform::HttpGet("127.0.0.1", silent.Port(), "/", 4096, response, error,
                                     std::chrono::seconds(60), stop.get_token());
    });
    // The request has arrived and waits for an answer that never comes.
    EXPECT_NE(silent.ReadOneRequest(std::chrono::seconds(20)), "");
    stop.request_stop();
    client.join();
    EXPECT_FALSE(received);
    EXPECT_NE(error.find("stopped"), std::string::npos) << error;
}

TEST(HttpGetFailure, GivesAOneLineReasonAndLeavesTheResponseAlone) {
    CSilentListener silent;
    struct Case {
        const char* name;
        std::string host;
        std::uint16_t port;
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"refused", "127.0.0.1", testsupport::UnusedLoopbackPort(), "/", "Failed to connect"},
        {"silent_server", "127.0.0.1", silent.Port(), "/", "timed out"},
        {"host_with_a_path", "127.0.0.1/x", 80, "/", "not a usable host"},
        {"host_with_credentials", "user@127.0.0.1", 80, "/", "not a usable host"},
        {"empty_host", "", 80, "/", "not a usable host"},
        {"empty_brackets", "[]", 80, "/", "not a usable host"},
        {"bracketed_ipv6", "[::1]", testsupport::UnusedLoopbackPort(), "/", "GET http://[::1]:"},
        {"relative_path", "127.0.0.1", 80, "x", "not a usable host and path"},
        {"path_with_a_line_break", "127.0.0.1", 80, "/a\r\nX: y", "not a usable host and path"},
    };
    for (const Case& c : cases) {
        platform::HttpResponse response;
        response.status = 7;
        response.body = "before";
        std::string error;
        EXPECT_FALSE(platform::HttpGet(c.host, c.port, c.path, 4096, response, error,
                                       std::chrono::milliseconds(300)))
            << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.name;
        EXPECT_EQ(response.status, 7) << c.name;
        EXPECT_EQ(response.body, "before") << c.name;
    }
}

} // namespace
