#include "core/model/BandLayout.h"

#include <algorithm>

#include "core/model/SizeSum.h"

namespace korvane {

std::vector<double> BandLayout::widths(const std::vector<std::int64_t>& sizes, double length, double minimum) {
    const std::size_t count = sizes.size();
    if (count == 0) return {};
    if (!(length > 0)) return std::vector<double>(count, 0.0);

    SizeSum total;
    for (auto size : sizes) total += size;
    const double minimumWidth = std::max(minimum, 0.0);

    if (total.total() >= 1 && minimumWidth * static_cast<double>(count) <= length) {
        std::vector<double> widths(count, 0.0);
        std::vector<bool> clamped(count, false);
        std::size_t clampedCount = 0;
        for (;;) {
            const double free = length - minimumWidth * static_cast<double>(clampedCount);
            double restTotal = 0;
            bool anyOpen = false;
            for (std::size_t i = 0; i < count; ++i) {
                if (clamped[i]) continue;
                anyOpen = true;
                restTotal += static_cast<double>(std::max<std::int64_t>(sizes[i], 0));
            }
            if (!anyOpen || restTotal < 1) break;
            std::vector<std::size_t> below;
            for (std::size_t i = 0; i < count; ++i) {
                if (clamped[i]) continue;
                widths[i] = free * static_cast<double>(std::max<std::int64_t>(sizes[i], 0)) / restTotal;
                if (widths[i] < minimumWidth) below.push_back(i);
            }
            if (below.empty()) break;
            for (auto i : below) clamped[i] = true;
            clampedCount += below.size();
        }
        for (std::size_t i = 0; i < count; ++i)
            if (clamped[i]) widths[i] = minimumWidth;
        return widths;
    }
    return std::vector<double>(count, length / static_cast<double>(count));
}

}  // namespace korvane
