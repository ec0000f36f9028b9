#pragma once

#include <cstdint>
#include <limits>

namespace korvane {

// A running total of stored sizes: a negative size counts as 0 and the total
// stops at the 64-bit limit instead of wrapping.
class SizeSum {
public:
    static constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max();

    static constexpr std::int64_t add(std::int64_t total, std::int64_t size) {
        if (total < 0) total = 0;
        if (size <= 0) return total;
        return size > limit - total ? limit : total + size;
    }

    constexpr SizeSum& operator+=(std::int64_t size) {
        total_ = add(total_, size);
        return *this;
    }
    constexpr std::int64_t total() const { return total_; }

private:
    std::int64_t total_ = 0;
};

}  // namespace korvane
