#pragma once

#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <utility>

#include <QTimeZone>

#include "core/model/AgeProfile.h"

namespace korvane {

// "Now" and the local time zone the age-based canvases count days in; both
// are injected so that ages are reproducible across a daylight-saving change.
class CanvasClock {
public:
    CanvasClock() : CanvasClock(std::chrono::system_clock::now(), QTimeZone::systemTimeZone()) {}
    CanvasClock(std::chrono::system_clock::time_point now, QTimeZone zone);

    std::chrono::system_clock::time_point now() const { return now_; }
    const QTimeZone& zone() const { return zone_; }

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

    // Now's local day and time of day.
    AgeProfile::Moment localNow() const {
        return {localNow_.day, static_cast<std::int32_t>(localNow_.millisecond)};
    }
    // The same two for a cell of an age profile, whose days are local days.
    int elapsedDays(const AgeProfile::Cell& cell, std::int32_t referenceMillisecond) const {
        return AgeProfile::elapsedDays(cell, referenceMillisecond, localNow());
    }
    static YearMonth yearMonth(const AgeProfile::Cell& cell) {
        YearMonth when;
        AgeProfile::yearMonth(cell.day, when.year, when.month);
        return when;
    }

private:
    struct Local {
        std::int64_t day = 0;  // days since 1970-01-01 in local time
        std::int64_t millisecond = 0;  // into that day
    };
    Local local(std::chrono::system_clock::time_point date) const;
    int offsetSeconds(std::int64_t utcMilliseconds) const;

    std::chrono::system_clock::time_point now_;
    QTimeZone zone_;
    Local localNow_;
    // A tree holds many files per day: the zone's offset is looked up once per
    // UTC day, and only days with a transition are looked up per file.
    struct DayOffsets {
        int start = 0;
        int end = 0;
    };
    mutable std::unordered_map<std::int64_t, DayOffsets> offsets_;
};

}  // namespace korvane
