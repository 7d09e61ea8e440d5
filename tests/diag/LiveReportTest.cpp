#include "diag/NSReport.h"
#include "platform/LinuxNetworkState.h"
#include "platform/ScriptedMessageBox.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <sstream>

namespace {

using testsupport::CTempFolder;

// A TCP socket listening on a free loopback port, closed with the object.
class CListeningSocket {
public:
    CListeningSocket() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (m_fd < 0 || bind(m_fd, generic, sizeof address) != 0 || listen(m_fd, 1) != 0 ||
            getsockname(m_fd, generic, &length) != 0) {
            ADD_FAILURE() << "cannot listen on a loopback port";
            return;
        }
        m_port = ntohs(address.sin_port);
    }
    ~CListeningSocket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    CListeningSocket(const CListeningSocket&) = delete;
    CListeningSocket& operator=(const CListeningSocket&) = delete;

    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// The next hop of the main table's first default route as `ip` shows it, or nothing.
std::string DefaultGatewayByIp(const std::filesystem::path& scratch) {
    const testsupport::ProgramRun run =
        testsupport::RunProgram("/usr/sbin/ip", {"-4", "route", "show", "default"}, "", scratch);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::istringstream words(run.out);
    std::string word;
    while (words >> word) {
        if (word == "via" && words >> word) {
            return word;
        }
    }
    return {};
}

std::string Padded(std::string text) {
    text.resize(std::max<std::size_t>(text.size(), 24), ' ');
    return text;
}

TEST(LiveReport, NamesThisMachinesHostDefaultRouteAndAListeningPort) {
    const CListeningSocket listening;
    CTempFolder folder;
    platform::CScriptedMessageBox messageBox;
    const platform::CLinuxNetworkState machine;
    diag::CNSReport report(machine, messageBox, folder.Path(), {});
    ASSERT_EQ(report.Report(), 0);
    EXPECT_TRUE(messageBox.ShownBoxes().empty())
        << "first message: " << messageBox.ShownBoxes().front().text;
    const std::string file = testsupport::ReadBytes(folder / "nsr.txt");

    char host[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_NE(file.find(std::string("主机名:\t\t") + host + "\n"), std::string::npos) << file;

    if (const std::string gateway = DefaultGatewayByIp(folder.Path()); !gateway.empty()) {
        EXPECT_NE(file.find("\t缺省路由\t\t\t" + gateway + "\t"), std::string::npos) << file;
    }

    const std::string listen = "TCP\t" + Padded("127.0.0.1:" + std::to_string(listening.Port())) +
                               Padded("0.0.0.0:0") + "LISTEN\n";
    EXPECT_NE(file.find(listen), std::string::npos) << file;

    for (const char* heading : {"一、公共配置信息\n", "二、接口配置\n\t接口1\n", "三、ARP表\n",
                                "四、接口列表\n\t接口标识\t接口名\n\t1\t", "五、路由表\n",
                                "六、IE代理设置\n", "七、网络端口状态\n"}) {
        EXPECT_NE(file.find(heading), std::string::npos) << heading;
    }
}

} // namespace
