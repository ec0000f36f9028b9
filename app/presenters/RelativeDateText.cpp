#include "app/presenters/RelativeDateText.h"

#include <array>
#include <cstdint>

#include "app/presenters/CountText.h"

namespace korvane {

namespace {

struct Unit {
    std::int64_t seconds;
    const char* name;
    const char* last;  // the named form of one unit back ("yesterday"), or null
    const char* next;
};

// Largest first. Months and years in whole days of 30 and 365.
constexpr std::array<Unit, 6> units = {{
    {365 * 86400, "year", "last year", "next year"},
    {30 * 86400, "month", "last month", "next month"},
    {7 * 86400, "week", "last week", "next week"},
    {86400, "day", "yesterday", "tomorrow"},
    {3600, "hour", nullptr, nullptr},
    {60, "minute", nullptr, nullptr},
}};

}  // namespace

std::string relativeDateText(std::chrono::system_clock::time_point date, std::chrono::system_clock::time_point now) {
    const std::int64_t difference = std::chrono::duration_cast<std::chrono::seconds>(now - date).count();
    const bool past = difference >= 0;
    const std::int64_t magnitude = past ? difference : -difference;
    for (const Unit& unit : units) {
        const std::int64_t count = magnitude / unit.seconds;
        if (count < 1) continue;
        if (count == 1 && unit.last) return past ? unit.last : unit.next;
        const std::string amount = countText(count, unit.name);
        return past ? amount + " ago" : "in " + amount;
    }
    return "now";
}

}  // namespace korvane
