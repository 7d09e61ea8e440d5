#include "config/VORNXMLSecureConfig.h"
#include "platform/FixedMachineIdentity.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>

namespace {

using config::ServerSettings;

struct ServerCase {
    const char* name;
    std::string inner;
    ServerSettings expected;
};

void PrintTo(const ServerCase& serverCase, std::ostream* out) {
    *out << serverCase.name;
}

class ServerElement : public testing::TestWithParam<ServerCase> {};

TEST_P(ServerElement, GivesTheUsableFieldsOnly) {
    config::CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml("<VORNClientConfig>" + GetParam().inner + "</VORNClientConfig>"));
    const ServerSettings settings = store.GetServerSettings();
    const ServerSettings& expected = GetParam().expected;
    EXPECT_EQ(settings.host, expected.host);
    EXPECT_EQ(settings.tlsPort, expected.tlsPort);
    EXPECT_EQ(settings.httpPort, expected.httpPort);
    EXPECT_EQ(settings.cardHost, expected.cardHost);
    EXPECT_EQ(settings.supportMail, expected.supportMail);
}

ServerSettings Settings(std::optional<std::string> host, std::optional<std::uint16_t> tlsPort,
                        std::optional<std::uint16_t> httpPort, std::optional<std::string> cardHost,
                        std::optional<std::string> supportMail) {
    return {std::move(host), tlsPort, httpPort, std::move(cardHost), std::move(supportMail)};
}

constexpr auto kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Documents, ServerElement,
    testing::Values(
        ServerCase{
            "all_fields",
            R"(<Server Host="gw.campus.example" Port="15428" HttpPort="8080" )"
            R"(CardHost="10.1.2.3" SupportMail="help.desk@campus.example"/>)",
            Settings("gw.campus.example", 15428, 8080, "10.1.2.3", "help.desk@campus.example")},
        ServerCase{"no_element", "<Log/>", Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"no_attributes", "<Server/>", Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"only_under_root", R"(<Log><Server Host="gw.example"/></Log>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"port_limits", R"(<Server Port="65535" HttpPort="1"/>)",
                   Settings(kNone, 65535, 1, kNone, kNone)},
        ServerCase{"ports_out_of_range", R"(<Server Port="65536" HttpPort="0"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"ports_not_decimal", R"(<Server Port="+80" HttpPort=" 80"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"ports_empty_or_words", R"(<Server Port="" HttpPort="eighty"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"hosts_with_port_or_path", R"(<Server Host="gw.example:99" CardHost="a/b"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"hosts_with_line_feed_or_blank",
                   R"(<Server Host="gw.example&#10;X: 1" CardHost="card example"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"hosts_empty_or_bad_labels", R"(<Server Host="" CardHost="-card..example"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"host_not_ascii", "<Server Host=\"\xD5\xC5.example\"/>",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"mail_without_at", R"(<Server SupportMail="support"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"mail_with_brackets", R"(<Server SupportMail="&lt;s&gt;@qel.example"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)},
        ServerCase{"mail_with_two_ats", R"(<Server SupportMail="a@b@qel.example"/>)",
                   Settings(kNone, kNone, kNone, kNone, kNone)}),
    [](const testing::TestParamInfo<ServerCase>& info) { return info.param.name; });

TEST(InstalledConfig, OpensAndNamesTheDeployment) {
    testsupport::CTempFolder folder;
    testsupport::WriteBytes(folder / "config.xml", testsupport::ReadBytes(VORN_INSTALLED_CONFIG));
    const platform::CFixedMachineIdentity machine("3d1219c7c4c5404aaa1f6d2a48adfda4");
    config::CVORNXMLSecureConfig store(folder.Path(), machine);
    ASSERT_TRUE(store.Open());

    const ServerSettings settings = store.GetServerSettings();
    EXPECT_EQ(settings.host, "gateway.qel.example");
    EXPECT_EQ(settings.tlsPort, 5428);
    EXPECT_EQ(settings.httpPort, 80);
    EXPECT_EQ(settings.cardHost, "card.qel.example");
    EXPECT_EQ(settings.supportMail, "support@qel.example");

    // Both switches are there to be set, and there are no accounts yet.
    store.SetConPrompt(false);
    store.SetAutoLogon(true);
    EXPECT_FALSE(store.GetConPrompt());
    EXPECT_TRUE(store.GetAutoLogon());
    std::array<config::UserInfo, 10> users;
    std::size_t count = 1;
    ASSERT_TRUE(store.GetUserList(users, count));
    EXPECT_EQ(count, 0u);

    // Every heartbeat entry is a server, a colon and a decimal port.
    config::HBSText entries[3];
    ASSERT_TRUE(store.GetHBSCam(entries[0]));
    ASSERT_TRUE(store.GetHBSDom(entries[1]));
    ASSERT_TRUE(store.GetHBSInt(entries[2]));
    for (const config::HBSText& entry : entries) {
        const std::string_view text = entry.View();
        const std::size_t colon = text.find(':');
        ASSERT_NE(colon, std::string_view::npos) << text;
        EXPECT_TRUE(config::IsUsableHostName(text.substr(0, colon))) << text;
        EXPECT_TRUE(config::ParsePort(text.substr(colon + 1)).has_value()) << text;
    }

    // The installed document is ASCII, so it reads the same as GBK and as anything else.
    const std::string bytes = testsupport::ReadBytes(VORN_INSTALLED_CONFIG);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
}

} // namespace
