#include "core/explorer/AgeDayTable.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "core/system/FloorDiv.h"
#include "core/system/LocalDays.h"

namespace korvane {

namespace {

constexpr std::int64_t daySeconds = 86'400;
// No offset from UTC reaches two days (a POSIX zone's is at most 24:59:59),
// so a UTC date this far inside a month has its local date in the same month.
constexpr std::int64_t offsetMarginDays = 2;
// Further back than this (some 27,000 years) the calendar is not worked out here.
constexpr std::int64_t farDays = 10'000'000;

}  // namespace

AgeDayTable::AgeDayTable(AgeProfile::Moment reference) : reference_(reference) {
    firstDay_ = reference.day - AgeProfile::dayRange - offsetMarginDays;
    const auto count = static_cast<std::size_t>(reference.day + futureDays - firstDay_ + 1);
    // The offset at each UTC midnight: where two in a row agree, the day
    // between them has that one offset throughout.
    std::vector<std::int32_t> offsets(count + 1);
    for (std::size_t i = 0; i <= count; ++i)
        offsets[i] = LocalDays::offsetAt((firstDay_ + static_cast<std::int64_t>(i)) * daySeconds);
    // The first second of a day that is later than the reference's time of day.
    const std::int64_t late = reference.millisecond / 1000 + 1;
    const auto cellAt = [&](std::int64_t wall) {
        const std::int64_t day = floorDiv(wall, daySeconds);
        return AgeProfile::stamp(reference, day, static_cast<std::int32_t>(wall - day * daySeconds)).cell;
    };
    days_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (offsets[i] != offsets[i + 1]) continue;  // dated time by time
        const std::int64_t wall = (firstDay_ + static_cast<std::int64_t>(i)) * daySeconds + offsets[i];
        const std::int64_t into = wall - floorDiv(wall, daySeconds) * daySeconds;
        // Local midnight and the reference's time of day, each once a day.
        std::int64_t edges[2] = {daySeconds, daySeconds};
        std::size_t n = 0;
        if (into < late && late < daySeconds) edges[n++] = late - into;
        if (into > 0) edges[n++] = daySeconds - into;
        if (into > late) edges[n++] = daySeconds - into + late;
        const std::int64_t first = cellAt(wall);
        const std::int64_t second = edges[0] < daySeconds ? cellAt(wall + edges[0]) : first;
        const std::int64_t third = edges[1] < daySeconds ? cellAt(wall + edges[1]) : second;
        // Cells a day apart, or a month's and a day's at the table's old end.
        if (std::max(second, third) - first > INT16_MAX || std::min(second, third) - first < INT16_MIN)
            continue;
        UtcDay& day = days_[i];
        day.edges[0] = static_cast<std::int32_t>(edges[0]);
        day.edges[1] = static_cast<std::int32_t>(edges[1]);
        day.first = static_cast<std::int32_t>(first);
        day.then[0] = static_cast<std::int16_t>(second - first);
        day.then[1] = static_cast<std::int16_t>(third - first);
    }
}

bool AgeDayTable::find(std::int64_t utcSeconds, Span& span) const {
    const std::int64_t utcDay = floorDiv(utcSeconds, daySeconds);
    const std::int64_t i = utcDay - firstDay_;
    if (i < 0) return findOld(utcDay, span);
    if (i >= static_cast<std::int64_t>(days_.size())) return false;
    const UtcDay& day = days_[static_cast<std::size_t>(i)];
    if (!day.regular()) return false;
    const std::int64_t start = utcDay * daySeconds;
    const std::int64_t into = utcSeconds - start;
    const int k = (into >= day.edges[0] ? 1 : 0) + (into >= day.edges[1] ? 1 : 0);
    span.stamp = {day.cell(k), reference_.millisecond};
    span.from = start + (k == 0 ? 0 : day.edges[k - 1]);
    span.until = start + (k == 2 ? daySeconds : day.edges[k]);
    return true;
}

bool AgeDayTable::findOld(std::int64_t utcDay, Span& span) const {
    if (utcDay < -farDays) return false;
    // Every local day before the table is older than the days kept one by
    // one: a time's cell is its local month's.
    using namespace std::chrono;
    const year_month_day date{sys_days{days{utcDay}}};
    const std::int64_t first = sys_days{date.year() / date.month() / 1}.time_since_epoch().count();
    const std::int64_t next = sys_days{date.year() / date.month() / last}.time_since_epoch().count() + 1;
    if (utcDay - offsetMarginDays < first || utcDay + offsetMarginDays >= next) return false;
    span.stamp = {static_cast<std::int32_t>(first * 2), reference_.millisecond};
    span.from = (first + offsetMarginDays) * daySeconds;
    span.until = std::min(next - offsetMarginDays, firstDay_) * daySeconds;
    return true;
}

}  // namespace korvane
