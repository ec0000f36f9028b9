#pragma once

#include <QTimeZone>
#include <chrono>

namespace korvane {

// The current moment and the zone in which calendar days and hours are read,
// so that schedule and age checks can be run at any moment in a test.
class Clock {
public:
    virtual ~Clock() = default;

    virtual std::chrono::system_clock::time_point now() const = 0;
    virtual QTimeZone timeZone() const = 0;
};

}  // namespace korvane
