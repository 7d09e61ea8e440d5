#include "heartbeat/HBSSetting.h"

namespace heartbeat {
namespace {

constexpr std::size_t kSearchedLength = 256;
constexpr std::int32_t kHighestPort = 65535;

bool RegisterEntry(bool found, const config::HBSText& text, std::string_view name, int index,
                   CConWatchDog& watchDog, CHBHandler& handler, std::int32_t interval) {
    if (!found) {
        return false;
    }
    const std::optional<HBSSetting> setting = ParseHBSSetting(text.View());
    return setting &&
           watchDog.RegisterHBS(name, setting->host, setting->port, interval, &handler, index);
}

} // namespace

std::optional<HBSSetting> ParseHBSSetting(std::string_view text) {
    const std::size_t colon = text.substr(0, kSearchedLength).find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    HBSSetting setting;
    setting.host = text.substr(0, colon);
    for (const char c : text.substr(colon + 1)) {
        if (c < '0' || c > '9') {
            break;
        }
        setting.port = setting.port * 10 + (c - '0');
        if (setting.port > kHighestPort) {
            return std::nullopt;
        }
    }
    return setting;
}

RegisteredServers RegisterSettingsServers(config::CVORNConfig& settings, CConWatchDog& watchDog,
                                          CHBHandler& handler, std::int32_t interval) {
    config::HBSText text;
    RegisteredServers registered;
    const bool campusFound = settings.GetHBSCam(text);
    registered.campus =
        RegisterEntry(campusFound, text, "cam", kCampusIndex, watchDog, handler, interval);
    const bool domesticFound = settings.GetHBSDom(text);
    registered.domestic =
        RegisterEntry(domesticFound, text, "dom", kDomesticIndex, watchDog, handler, interval);
    return registered;
}

} // namespace heartbeat
