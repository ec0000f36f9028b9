#include "app/canvases/layout/CanvasClock.h"

#include <QDate>
#include <QDateTime>

#include "core/system/FloorDiv.h"

namespace korvane {

namespace {

constexpr std::int64_t dayMilliseconds = 86'400'000;

std::int64_t milliseconds(std::chrono::system_clock::time_point date) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
}

}  // namespace

CanvasClock::CanvasClock(std::chrono::system_clock::time_point now, QTimeZone zone)
    : now_(now), zone_(std::move(zone)) {
    localNow_ = local(now_);
}

int CanvasClock::offsetSeconds(std::int64_t utc) const {
    const auto exact = [&](std::int64_t ms) {
        return zone_.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()));
    };
    const std::int64_t day = floorDiv(utc, dayMilliseconds);
    auto it = offsets_.find(day);
    if (it == offsets_.end())
        it = offsets_.emplace(day, DayOffsets{exact(day * dayMilliseconds), exact((day + 1) * dayMilliseconds - 1)})
                 .first;
    return it->second.start == it->second.end ? it->second.start : exact(utc);
}

CanvasClock::Local CanvasClock::local(std::chrono::system_clock::time_point date) const {
    const std::int64_t utc = milliseconds(date);
    const std::int64_t wall = utc + std::int64_t{offsetSeconds(utc)} * 1000;
    const std::int64_t day = floorDiv(wall, dayMilliseconds);
    return {day, wall - day * dayMilliseconds};
}

int CanvasClock::elapsedDays(std::chrono::system_clock::time_point date) const {
    if (date >= now_) return 0;
    const Local from = local(date);
    std::int64_t days = localNow_.day - from.day;
    if (localNow_.millisecond < from.millisecond) --days;
    return days > 0 ? static_cast<int>(days) : 0;
}

CanvasClock::YearMonth CanvasClock::yearMonth(std::chrono::system_clock::time_point date) const {
    static const qint64 epochJulianDay = QDate(1970, 1, 1).toJulianDay();
    const QDate day = QDate::fromJulianDay(epochJulianDay + local(date).day);
    return {day.year(), day.month()};
}

}  // namespace korvane
