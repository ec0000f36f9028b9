#pragma once

#include <chrono>

#include <QDateTime>
#include <QTimeZone>

#include "app/canvases/layout/CanvasClock.h"

// A fixed "now" two days after New York's spring daylight-saving change, so
// whole-day spans back from it are an hour short of multiples of 24 hours.
namespace canvastest {

inline const QTimeZone& newYork() {
    static const QTimeZone zone("America/New_York");
    return zone;
}

inline QDateTime nowInNewYork() { return QDateTime(QDate(2024, 3, 12), QTime(9, 0), newYork()); }

inline std::chrono::system_clock::time_point timePoint(const QDateTime& time) {
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
}

inline korvane::CanvasClock fixedClock() { return {timePoint(nowInNewYork()), newYork()}; }

// The same local wall-clock time, `days` calendar days earlier.
inline std::chrono::system_clock::time_point daysAgo(int days) { return timePoint(nowInNewYork().addDays(-days)); }

}  // namespace canvastest
