#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "app/platform/Clock.h"

namespace korvane::testing {

// A clock that stands still at whatever moment the test sets, in a fixed zone
// (two hours east of UTC unless told otherwise, so local and UTC days differ).
class FakeClock final : public Clock {
public:
    std::chrono::system_clock::time_point moment{};
    QTimeZone zone{2 * 3600};

    std::chrono::system_clock::time_point now() const override { return moment; }
    QTimeZone timeZone() const override { return zone; }

    // Sets the moment from a local date and time in the clock's zone.
    void setLocal(QDate date, QTime time) { moment = at(date, time); }
    std::chrono::system_clock::time_point at(QDate date, QTime time) const {
        const QDateTime local(date, time, zone);
        return std::chrono::system_clock::time_point(std::chrono::milliseconds(local.toMSecsSinceEpoch()));
    }
};

}  // namespace korvane::testing
