#include "core/system/FileDate.h"

#include <algorithm>

namespace korvane {

FileDate::TimePoint FileDate::fromTimespec(const struct timespec& ts) {
    const std::int64_t seconds = std::clamp<std::int64_t>(ts.tv_sec, -limitSeconds, limitSeconds);
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(std::chrono::seconds(seconds) +
                                                                     std::chrono::nanoseconds(ts.tv_nsec)));
}

}  // namespace korvane
