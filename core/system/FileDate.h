#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

namespace korvane {

// File dates as clock time points. They are kept within about 126 years of
// 1970, well inside what the clock can hold, so that differences between two
// of them (and a few days' shift of one) cannot overflow.
struct FileDate {
    using TimePoint = std::chrono::system_clock::time_point;

    static constexpr std::int64_t limitSeconds = 4'000'000'000;

    // A time from the file system (st_mtim, st_atim), kept within the limit.
    static TimePoint fromTimespec(const struct timespec& ts);
    // `date` kept within the limit.
    static TimePoint clamped(TimePoint date);
    // `base` moved by whole calendar days in local time, keeping its
    // wall-clock time (a day may last 23 or 25 hours across a clock change).
    static TimePoint shiftedByDays(TimePoint base, int days);
};

}  // namespace korvane
