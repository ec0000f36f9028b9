#pragma once

#include <cstdint>

namespace korvane {

// `a / b` rounded down rather than toward zero, for `b` above 0: a time
// before 1970 falls in the day (or era) it lies in, not the one after.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return a % b < 0 ? q - 1 : q;
}

}  // namespace korvane
