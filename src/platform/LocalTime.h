#pragma once

namespace platform {

// A moment as the local clock shows it.
struct LocalTime {
    int year = 0;  // four digits
    int month = 0; // 1 to 12
    int day = 0;   // of the month
    int hour = 0;  // 0 to 23
    int minute = 0;
    int second = 0;
};

// Now, in the local time zone.
LocalTime CurrentLocalTime();

} // namespace platform
