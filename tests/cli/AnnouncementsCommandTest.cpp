#include "platform/GbkCodec.h"
#include "tests/support/GatewaydSite.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TlsTestServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::CGatewaydSite;
using testsupport::CTempFolder;
using testsupport::ProgramRun;

// vornctl announcements against gatewayd's site, named by the settings of the working
// directory.
class VornctlAnnouncements : public testing::Test {
protected:
    static void SetUpTestSuite() { s_site = std::make_unique<CGatewaydSite>(); }
    static void TearDownTestSuite() { s_site.reset(); }
    void SetUp() override { s_site->Withdraw(); }

    // A working directory whose settings name host and the HTTP port.
    std::string Workdir(const std::string& host, std::uint16_t httpPort) const {
        m_folder.Write("config.xml", "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<VORNClientConfig>"
                                     "<Style ConPrompt=\"false\" AutoLogon=\"false\"/><Log/>"
                                     "<Server Host=\"" +
                                         host + "\" HttpPort=\"" + std::to_string(httpPort) +
                                         "\"/></VORNClientConfig>\n");
        return m_folder.Path().string();
    }

    ProgramRun Announcements(const std::vector<std::string>& before = {}) const {
        std::vector<std::string> arguments = before;
        arguments.insert(arguments.end(),
                         {"--workdir", Workdir("127.0.0.1", s_site->Port()), "announcements"});
        return testsupport::RunProgram(VORNCTL_PATH, arguments, "", m_scratch.Path());
    }

    static inline std::unique_ptr<CGatewaydSite> s_site;
    CTempFolder m_folder;
    CTempFolder m_scratch;
};

TEST_F(VornctlAnnouncements, ListsTitleAndUrlOfEachInDocumentOrder) {
    s_site->PublishAnnouncements(platform::GbkFromLiteral(
        "<?xml version=\"1.0\" encoding=\"GBK\"?><message-list>"
        "<message><title>校园网公告</title><body>正文</body><url>http://gw/1</url></message>"
        "<message><title>second</title><url>http://gw/2</url></message>"
        "<message><title>校园网公告</title><url>http://gw/again</url></message>"
        "<message><body>no title</body></message>"
        "</message-list>"));
    const ProgramRun run = Announcements();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "校园网公告\thttp://gw/1\nsecond\thttp://gw/2\n\t\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(VornctlAnnouncements, PrintsNothingForAnEmptyListOrAnErrorPage) {
    const ProgramRun missing = Announcements(); // 404: a response, though no document
    EXPECT_EQ(missing.exitCode, 0) << missing.err;
    EXPECT_EQ(missing.out, "");
    s_site->PublishAnnouncements("<message-list/>");
    const ProgramRun empty = Announcements();
    EXPECT_EQ(empty.exitCode, 0) << empty.err;
    EXPECT_EQ(empty.out, "");
}

TEST_F(VornctlAnnouncements, CannotPlayTricksOnTheTerminal) {
    s_site->PublishAnnouncements("<message-list><message><title>\x1b[2J\x1b[31mred\tfake"
                                 "</title><url>http://gw/\r\nx</url></message></message-list>");
    const ProgramRun run = Announcements();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "\\x1b[2J\\x1b[31mred\\x09fake\thttp://gw/\\x0ax\n");
}

TEST_F(VornctlAnnouncements, FailsWithTheReasonWhenNoResponseComes) {
    const std::uint16_t unused = testsupport::UnusedLoopbackPort();
    const ProgramRun run = testsupport::RunProgram(
        VORNCTL_PATH, {"--workdir", Workdir("127.0.0.1", unused), "announcements"}, "",
        m_scratch.Path());
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("vornctl: cannot download the announcements: GET http://127.0.0.1:" +
                                std::to_string(unused) + "/announce/vornmsg.xml: ",
                            0),
              0u)
        << run.err;
}

TEST_F(VornctlAnnouncements, GatewayOptionNamesTheHostOverTheSettings) {
    s_site->PublishAnnouncements("<message-list>"
                                 "<message><title>t</title><url>u</url></message>"
                                 "</message-list>");
    Workdir("nowhere.invalid", s_site->Port());
    const ProgramRun run = testsupport::RunProgram(
        VORNCTL_PATH,
        {"--workdir", m_folder.Path().string(), "--gateway", "127.0.0.1", "announcements"}, "",
        m_scratch.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "t\tu\n");
}

} // namespace
