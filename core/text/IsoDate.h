#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// Dates as ISO 8601 text, the form the history files and settings store.
struct IsoDate {
    // UTC, whole seconds: "2024-03-09T14:05:00Z".
    static std::string format(std::chrono::system_clock::time_point date);
    // "YYYY-MM-DDTHH:MM:SS" with optional fractional seconds, then "Z" or an
    // offset "+HH:MM" / "-HH:MM" / "+HHMM". Anything else gives no value.
    static std::optional<std::chrono::system_clock::time_point> parse(std::string_view text);
};

}  // namespace korvane
