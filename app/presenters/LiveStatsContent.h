#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/presenters/GaugeTint.h"
#include "core/explorer/SystemStats.h"
#include "core/model/Categories.h"

namespace korvane {

// One ring gauge of the statistics page.
struct MeterContent {
    std::string title;    // in capitals, as drawn: "CPU"
    double value = 0;     // the reading, not clamped
    double arcEnd = 0;    // how far the arc runs: within 0.001...1
    std::string number;   // the ring's whole percent: "120%" for 1.2
    std::string caption;  // "34% in use"
    std::string detail;
    GaugeTint tint = GaugeTint::accent;

    friend bool operator==(const MeterContent&, const MeterContent&) = default;
};

// One kind of memory in the stacked bar and its legend.
struct MemoryKindContent {
    std::string label;
    std::string bytes;
    double fraction = 0;  // of the physical memory, not clamped
    CleanupCategory colorOf = CleanupCategory::node;  // the category whose colour it borrows

    friend bool operator==(const MemoryKindContent&, const MemoryKindContent&) = default;
};

struct LiveStatsContent {
    std::vector<MeterContent> meters;  // CPU, Memory, and Battery when there is one
    std::vector<MemoryKindContent> memory;  // Programs, Kernel, Compressed (zswap) while in use, Cached
    std::optional<std::string> swapWarning;
    std::string uptime;

    friend bool operator==(const LiveStatsContent&, const LiveStatsContent&) = default;
};

LiveStatsContent liveStatsContent(const SystemStats& stats);

// A ring's number for a reading: its whole percent, "99%" for 0.999.
std::string meterNumber(double value);

// True when a new sample would draw the page as it stands: every text and
// tint the same, and no arc or segment moving by a thousandth or more
// (under half a pixel at the widths they are drawn).
bool looksTheSame(const LiveStatsContent& shown, const LiveStatsContent& next);

// "5h 7m" below a day, "3d 4h" from a day on.
std::string uptimeText(double seconds);

}  // namespace korvane
