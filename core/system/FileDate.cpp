#include "core/system/FileDate.h"

#include <algorithm>
#include <ctime>

namespace korvane {

FileDate::TimePoint FileDate::fromTimespec(const struct timespec& ts) {
    const std::int64_t seconds = std::clamp<std::int64_t>(ts.tv_sec, -limitSeconds, limitSeconds);
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(std::chrono::seconds(seconds) +
                                                                     std::chrono::nanoseconds(ts.tv_nsec)));
}

FileDate::TimePoint FileDate::clamped(TimePoint date) {
    const TimePoint low{std::chrono::seconds(-limitSeconds)};
    const TimePoint high{std::chrono::seconds(limitSeconds)};
    return std::clamp(date, low, high);
}

FileDate::TimePoint FileDate::shiftedByDays(TimePoint base, int days) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(base);
    const auto fraction = base - seconds;
    const std::time_t t = std::chrono::system_clock::to_time_t(seconds);
    std::tm local{};
    ::localtime_r(&t, &local);
    local.tm_mday += days;
    local.tm_isdst = -1;
    const std::int64_t moved =
        std::clamp<std::int64_t>(std::mktime(&local), -2 * limitSeconds, 2 * limitSeconds);
    return TimePoint(std::chrono::seconds(moved)) + fraction;
}

}  // namespace korvane
