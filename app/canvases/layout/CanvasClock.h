#pragma once

#include <chrono>

#include <QTimeZone>

namespace korvane {

// "Now" and the local time zone the age-based canvases count days in; both
// are injected so that ages are reproducible across a daylight-saving change.
struct CanvasClock {
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now();
    QTimeZone zone = QTimeZone::systemTimeZone();

    // Full calendar days from `date` to now in local time: a day counts once
    // the wall-clock time of `date` has come round again, however many hours
    // that day had. A date in the future counts 0.
    int elapsedDays(std::chrono::system_clock::time_point date) const;

    struct YearMonth {
        int year = 0;
        int month = 0;  // 1 to 12
    };
    // The local calendar month of a date.
    YearMonth yearMonth(std::chrono::system_clock::time_point date) const;
};

}  // namespace korvane
