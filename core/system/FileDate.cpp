#include "core/system/FileDate.h"

#include <algorithm>

namespace korvane {

FileDate::TimePoint FileDate::fromTimespec(const struct timespec& ts) {
    return fromSeconds(ts.tv_sec) +
           std::chrono::duration_cast<TimePoint::duration>(std::chrono::nanoseconds(ts.tv_nsec));
}

FileDate::TimePoint FileDate::fromSeconds(std::int64_t seconds) {
    return TimePoint(std::chrono::seconds(std::clamp<std::int64_t>(seconds, -limitSeconds, limitSeconds)));
}

}  // namespace korvane
