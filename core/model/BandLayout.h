#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// Divides a length among bands in proportion to their sizes while giving
// every band at least a minimum width.
struct BandLayout {
    // One width per size, in order. Negative sizes count as 0.
    static std::vector<double> widths(const std::vector<std::int64_t>& sizes, double length, double minimum);
};

}  // namespace korvane
