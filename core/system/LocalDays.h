#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <limits>

namespace korvane {

// The local calendar day of times in the C library's time zone, for a walk
// that dates many files: a zone's offset is looked up once per UTC day met
// (at its first and last second), and per time only on a day with a change
// of offset in it. Not shared between threads.
class LocalDays {
public:
    struct Day {
        std::int64_t day = 0;     // days since 1970-01-01, local
        std::int32_t second = 0;  // into that day, local
        // The whole local day has one offset (no change of daylight saving in
        // it): its seconds follow UTC's one for one.
        bool isUniform = false;
    };
    struct Moment {
        std::int64_t day = 0;
        std::int32_t millisecond = 0;
    };

    Day at(std::int64_t utcSeconds);
    // The local day and time of day of a moment, to the millisecond.
    static Moment moment(std::chrono::system_clock::time_point time);
    // Seconds east of UTC at that time.
    static std::int32_t offsetAt(std::int64_t utcSeconds);

private:
    struct Offsets;
    const Offsets& offsets(std::int64_t utcDay);

    struct Offsets {
        std::int64_t utcDay = std::numeric_limits<std::int64_t>::min();
        std::int32_t start = 0;
        std::int32_t end = 0;
    };
    std::array<Offsets, 256> offsets_{};
};

}  // namespace korvane
