#include "heartbeat/HBSSetting.h"

#include "config/VORNXMLConfig.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct ParseCase {
    std::string text;
    std::string host; // with port, what a usable entry gives
    int port;
    bool usable;
};

TEST(HBSSettingTest, TakesTheEntryApart) {
    const ParseCase cases[] = {
        {"10.0.0.1:7001", "10.0.0.1", 7001, true},
        {"10.0.0.1:", "10.0.0.1", 0, true},
        {"hbs.qel.example:5430", "hbs.qel.example", 5430, true},
        {"host:12ab", "host", 12, true},
        {"host:x1", "host", 0, true},
        {"host:1:2", "host", 1, true},
        {"host:65535", "host", 65535, true},
        {"host:0065535", "host", 65535, true},
        {"host:65536", "", 0, false},
        {"host:99999999999999999999", "", 0, false},
        {"host", "", 0, false},
        {":5430", "", 0, false},
        {"", "", 0, false},
        {std::string(255, 'h') + ":1", std::string(255, 'h'), 1, true},
        {std::string(256, 'h') + ":1", "", 0, false},
    };
    for (const ParseCase& row : cases) {
        const std::optional<heartbeat::HBSSetting> setting = heartbeat::ParseHBSSetting(row.text);
        ASSERT_EQ(setting.has_value(), row.usable) << row.text;
        if (setting) {
            EXPECT_EQ(setting->host, row.host) << row.text;
            EXPECT_EQ(setting->port, row.port) << row.text;
        }
    }
}

struct RegisterCase {
    std::string entries; // the heartbeat elements of the settings document
    bool campus;
    bool domestic;
    std::string hosts; // host:port of each registered server, in table order
};

TEST(HBSSettingTest, RegistersTheUsableEntries) {
    const RegisterCase cases[] = {
        {"<HBSCam>10.0.0.1:7001</HBSCam><HBSDom>d.example:7002</HBSDom>", true, true,
         "cam 10.0.0.1:7001 0|dom d.example:7002 1|"},
        {"<HBSDom>d.example:7002</HBSDom><HBSInt>i:3</HBSInt>", false, true,
         "dom d.example:7002 1|"},
        {"<HBSCam>no-colon</HBSCam><HBSDom>d:</HBSDom>", false, true, "dom d:0 1|"},
        {"<HBSCam>c:1</HBSCam><HBSDom>d:70000</HBSDom>", true, false, "cam c:1 0|"},
        {"<HBSInt>i:3</HBSInt>", false, false, ""},
        {"<HBSCam>" + std::string(70, 'h') + ":9</HBSCam>", true, false,
         "cam " + std::string(63, 'h') + ":9 0|"},
    };
    for (const RegisterCase& row : cases) {
        config::CVORNXMLConfig settings;
        ASSERT_TRUE(settings.LoadXml("<VORNClientConfig>" + row.entries + "</VORNClientConfig>"));
        heartbeat::CConWatchDog watchDog;
        heartbeat::CHBHandler handler;
        const heartbeat::RegisteredServers registered =
            heartbeat::RegisterSettingsServers(settings, watchDog, handler);
        EXPECT_EQ(registered.campus, row.campus) << row.entries;
        EXPECT_EQ(registered.domestic, row.domestic) << row.entries;
        std::string hosts;
        for (std::size_t i = 0; i < watchDog.Count(); ++i) {
            const heartbeat::HBSRecord& record = watchDog.Server(i);
            EXPECT_EQ(record.interval, heartbeat::kHBSInterval);
            EXPECT_EQ(record.handler, &handler);
            hosts += std::string(record.name.View()) + " " + std::string(record.host.View()) + ":" +
                     std::to_string(record.port) + " " + std::to_string(record.index) + "|";
        }
        EXPECT_EQ(hosts, row.hosts) << row.entries;
    }
}

} // namespace
