#pragma once

#include "core/text/RelativeDate.h"

#include <chrono>
#include <cstdint>
#include <ctime>

namespace korvane {

// File dates as clock time points. They are kept within about 142 years of
// 1970, the range the relative wording and day counts work in, well inside
// what the clock can hold, so that differences between two of them (and a
// few days' shift of one) cannot overflow.
struct FileDate {
    using TimePoint = std::chrono::system_clock::time_point;

    static constexpr std::int64_t limitSeconds = RelativeDate::limitSeconds;

    // A time from the file system (st_mtim, st_atim), kept within the limit.
    static TimePoint fromTimespec(const struct timespec& ts);
    // Whole seconds since 1970 (a file's st_mtim.tv_sec), kept within the
    // limit: the clock's nanoseconds would wrap past the year 2262.
    static TimePoint fromSeconds(std::int64_t seconds);
    // `date` kept within the limit.
    static TimePoint clamped(TimePoint date) { return RelativeDate::clamped(date); }
    // `base` moved by whole calendar days in local time, keeping its
    // wall-clock time (a day may last 23 or 25 hours across a clock change).
    static TimePoint shiftedByDays(TimePoint base, int days) { return RelativeDate::shifted(base, 0, days); }
};

}  // namespace korvane
