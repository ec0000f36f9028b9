#pragma once

#include <chrono>
#include <string>

namespace korvane {

// Dates in the short English forms the history lists show, in local time:
// "Feb 3, 2025", and with the time "Feb 3, 2025 at 4:05 PM". The words are
// fixed, whatever the machine's locale.
struct AbbreviatedDate {
    using TimePoint = std::chrono::system_clock::time_point;

    static std::string string(TimePoint date);
    static std::string withTime(TimePoint date);
};

}  // namespace korvane
