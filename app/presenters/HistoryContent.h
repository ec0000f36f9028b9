#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupReport.h"
#include "core/safety/HistoryStore.h"

namespace korvane {

// One day's developer storage on the chart.
struct HistoryPoint {
    std::chrono::system_clock::time_point date{};
    double gigabytes = 0;  // decimal

    friend bool operator==(const HistoryPoint&, const HistoryPoint&) = default;
};

struct PastCleanupRow {
    std::string date;     // "Feb 3, 2025 at 4:05 PM"
    // "4 items · 1 partly removed · 1 failed · 1 not removed": every item once.
    std::string summary;
    std::string freed;    // what stayed removed
    // Only for a run whose items were put back, whole or in part: "· all put back".
    std::optional<std::string> putBack;

    friend bool operator==(const PastCleanupRow&, const PastCleanupRow&) = default;
};

struct PastCleanups {
    static constexpr std::size_t shown = 12;

    std::string total;  // what stayed removed, of every stored report: "20.4 GB total"
    std::vector<PastCleanupRow> rows;

    friend bool operator==(const PastCleanups&, const PastCleanups&) = default;
};

// What the history sheet shows.
struct HistoryContent {
    // Every snapshot up to now, oldest first; the chart shows from two on.
    std::vector<HistoryPoint> points;
    // "Down 1.2 GB since Feb 3, 2025"; none while the chart is absent or
    // the first and last snapshots share a date.
    std::optional<std::string> trend;
    std::optional<PastCleanups> pastCleanups;  // none without reports

    bool showsChart() const { return points.size() >= 2; }

    friend bool operator==(const HistoryContent&, const HistoryContent&) = default;
};

// `reports` newest first, as the store keeps them; `totalFreed` over all of
// them. Snapshots dated after `now` (written while the clock was ahead, or
// copied from another machine) are left out of the chart and the trend.
HistoryContent historyContent(const std::vector<HistoryStore::Snapshot>& snapshots,
                              const std::vector<CleanupReport>& reports, std::int64_t totalFreed,
                              std::chrono::system_clock::time_point now);

}  // namespace korvane
