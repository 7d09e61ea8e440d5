#include "platform/LocalTime.h"

#include <ctime>

namespace platform {

LocalTime CurrentLocalTime() {
    constexpr int kYearBase = 1900;
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (localtime_r(&now, &parts) == nullptr) {
        // A clock past what the calendar holds: show the epoch rather than garbage.
        return {1970, 1, 1, 0, 0, 0};
    }
    return {parts.tm_year + kYearBase,
            parts.tm_mon + 1,
            parts.tm_mday,
            parts.tm_hour,
            parts.tm_min,
            parts.tm_sec};
}

} // namespace platform
