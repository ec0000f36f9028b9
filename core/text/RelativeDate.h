#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// Dates worded relative to now, as the application shows a last activity
// ("3 weeks ago", "Yesterday", "In 2 days"), and whole days between two
// dates, both by the local calendar. Dates are taken within about 142 years
// of 1970 (see `clamped`), so that the difference of two of them and a
// calendar shift of one cannot overflow the clock.
struct RelativeDate {
    using TimePoint = std::chrono::system_clock::time_point;

    // About 142 years either side of 1970 (into 2112): two dates apart and a
    // calendar shift still fit the clock's 292 years.
    static constexpr std::int64_t limitSeconds = 4'500'000'000;

    // `date` kept within the limit.
    static TimePoint clamped(TimePoint date);
    // `base` moved by whole calendar months and days in local time, keeping
    // its wall-clock time (a day may last 23 or 25 hours across a clock
    // change) and its fraction of a second.
    static TimePoint shifted(TimePoint base, int months, int days);
    // Full days elapsed from `from` to `to` in local time (a day runs from one
    // wall-clock time to the same time the next day); negative when `to` lies
    // before `from`.
    static int fullDaysBetween(TimePoint from, TimePoint to);
    // `date` worded relative to `now` in English, first letter upper-cased,
    // by its largest whole unit; "Unknown" for no date. A date at or beyond
    // an end of the range is worded by that end's year: "In 2112 or later".
    static std::string string(const std::optional<TimePoint>& date, TimePoint now);
    // A date kept in a text until the text is shown ("{2024-06-01T12:00:00Z}"),
    // so that what a scan stores says the date, not how long ago it was when
    // the scan ran. Read as it is, it still says when.
    static std::string stamp(TimePoint date);
    // `text` with each stamp worded relative to `now`: as `string` says it
    // when the stamp opens the text ("Yesterday"), in lower case within a
    // sentence ("you worked on yesterday"). Other text stays as it is.
    static std::string worded(std::string_view text, TimePoint now);
};

}  // namespace korvane
