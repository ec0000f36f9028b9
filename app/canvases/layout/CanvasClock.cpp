#include "app/canvases/layout/CanvasClock.h"

#include <QDateTime>

namespace korvane {

namespace {

QDateTime local(std::chrono::system_clock::time_point date, const QTimeZone& zone) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms, zone);
}

}  // namespace

int CanvasClock::elapsedDays(std::chrono::system_clock::time_point date) const {
    if (date >= now) return 0;
    const QDateTime from = local(date, zone);
    const QDateTime to = local(now, zone);
    auto days = from.date().daysTo(to.date());
    if (to.time() < from.time()) --days;
    return days > 0 ? static_cast<int>(days) : 0;
}

CanvasClock::YearMonth CanvasClock::yearMonth(std::chrono::system_clock::time_point date) const {
    const QDate day = local(date, zone).date();
    return {day.year(), day.month()};
}

}  // namespace korvane
