#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/Categories.h"
#include "core/model/ScanResult.h"

namespace korvane {

// The categories in the one colour order the sidebar lists them in (not the
// declaration order, not the scan's order, not size).
inline constexpr std::array<CleanupCategory, 9> categoryColourOrder{
    CleanupCategory::xcode,      CleanupCategory::cocoapods, CleanupCategory::reactNative,
    CleanupCategory::flutter,    CleanupCategory::android,   CleanupCategory::toolchains,
    CleanupCategory::node,       CleanupCategory::docker,    CleanupCategory::gradle};

// One category of a scan as the footprint bar and the "Toolchains" rows show it.
struct FootprintSegment {
    CleanupCategory category = CleanupCategory::xcode;
    std::int64_t footprint = 0;
    std::string title;    // "Xcode"
    std::string bytes;    // "12.3 GB"
    std::string tooltip;  // "Xcode · 12.3 GB"

    friend bool operator==(const FootprintSegment&, const FootprintSegment&) = default;
};

// In colour order, for each category the first result with a footprint above 0.
std::vector<FootprintSegment> footprintSegments(const ScanResult& scan);

// Each segment's width in a bar `width` wide: its share of the total less the
// 2-point gap, never under 2 points (many tiny segments may overrun the bar).
std::vector<double> footprintWidths(const std::vector<FootprintSegment>& segments, double width);

}  // namespace korvane
