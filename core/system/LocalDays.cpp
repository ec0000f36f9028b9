#include "core/system/LocalDays.h"

#include <ctime>

#include "core/system/FloorDiv.h"

namespace korvane {

namespace {

constexpr std::int64_t daySeconds = 86'400;

}  // namespace

std::int32_t LocalDays::offsetAt(std::int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    if (!::localtime_r(&t, &local)) return 0;
    return static_cast<std::int32_t>(local.tm_gmtoff);
}

const LocalDays::Offsets& LocalDays::offsets(std::int64_t utcDay) {
    Offsets& known = offsets_[static_cast<std::size_t>(utcDay) % offsets_.size()];
    if (known.utcDay != utcDay)
        known = {utcDay, offsetAt(utcDay * daySeconds), offsetAt(utcDay * daySeconds + daySeconds - 1)};
    return known;
}

LocalDays::Day LocalDays::at(std::int64_t utcSeconds) {
    const std::int64_t utcDay = floorDiv(utcSeconds, daySeconds);
    const Offsets here = offsets(utcDay);
    const std::int64_t offset = here.start == here.end ? here.start : offsetAt(utcSeconds);
    const std::int64_t wall = utcSeconds + offset;
    const std::int64_t day = floorDiv(wall, daySeconds);
    const std::int64_t second = wall - day * daySeconds;
    // The local day reaches into a UTC day before or after this one.
    const std::int64_t start = utcSeconds - second;
    const Offsets& first = offsets(floorDiv(start, daySeconds));
    const Offsets& last = offsets(floorDiv(start + daySeconds - 1, daySeconds));
    const bool uniform = here.start == offset && here.end == offset && first.start == offset &&
                         first.end == offset && last.start == offset && last.end == offset;
    return {day, static_cast<std::int32_t>(second), uniform};
}

LocalDays::Moment LocalDays::moment(std::chrono::system_clock::time_point time) {
    const std::int64_t utc =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const std::int64_t wall = utc + std::int64_t{offsetAt(floorDiv(utc, 1000))} * 1000;
    const std::int64_t day = floorDiv(wall, daySeconds * 1000);
    return {day, static_cast<std::int32_t>(wall - day * daySeconds * 1000)};
}

}  // namespace korvane
