#include "app/canvases/layout/MonthGridLayout.h"

#include <algorithm>
#include <cmath>

#include "app/canvases/layout/AgeParts.h"
#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

MonthGridLayout MonthGridLayout::make(const StorageNode& root, const CanvasClock& clock) {
    std::map<std::pair<int, int>, SizeSum> totals;
    // Every byte in the month of its own file's date, uninspected ones too.
    // An age profile's cells come in order: a month's run is added at once.
    std::pair<int, int> run{0, 0};
    SizeSum runBytes;
    forEachAgePart(root, [&](const AgePart& part) {
        if (!part.isDated()) return;
        const auto when = part.yearMonth(clock);
        if (std::pair(when.year, when.month) != run) {
            if (runBytes.total() > 0) totals[run] += runBytes.total();
            run = {when.year, when.month};
            runBytes = SizeSum();
        }
        runBytes += part.bytes;
    });
    if (runBytes.total() > 0) totals[run] += runBytes.total();
    MonthGridLayout layout;
    for (const auto& [key, sum] : totals) {
        layout.cells.push_back(
            {std::to_string(key.first) + "-" + std::to_string(key.second), key.first, key.second, sum.total()});
        layout.byMonth_[key] = sum.total();
        layout.scale = std::max(layout.scale, sum.total());
    }
    if (layout.cells.empty()) return layout;
    // Every year from the newest to the oldest, so that the timeline has no gaps.
    const int newest = layout.cells.back().year, oldest = layout.cells.front().year;
    if (std::int64_t{newest} - oldest < longestTimeline) {
        for (int year = newest; year >= oldest; --year) layout.years.push_back(year);
        return layout;
    }
    for (auto cell = layout.cells.rbegin(); cell != layout.cells.rend(); ++cell)
        if (layout.years.empty() || layout.years.back() != cell->year) layout.years.push_back(cell->year);
    return layout;
}

std::int64_t MonthGridLayout::bytes(int year, int month) const {
    const auto it = byMonth_.find({year, month});
    return it == byMonth_.end() ? 0 : it->second;
}

double MonthGridLayout::strength(std::int64_t bytes) const {
    if (bytes < 1) return 0;
    return std::sqrt(std::min(static_cast<double>(bytes) / static_cast<double>(scale), 1.0));
}

double MonthGridLayout::fillOpacity(std::int64_t bytes) const { return strength(bytes) * 0.76 + 0.14; }

bool MonthGridLayout::showsText(std::int64_t bytes) const { return bytes >= 1 && strength(bytes) > 0.55; }

std::string MonthGridLayout::tooltip(std::int64_t bytes) {
    return bytes >= 1 ? ByteFormat::string(bytes) : "Nothing modified this month";
}

std::int64_t MonthGridLayout::busiestBytes() const {
    std::int64_t busiest = 0;
    for (const auto& cell : cells) busiest = std::max(busiest, cell.bytes);
    return busiest;
}

const char* MonthGridLayout::initial(int month) {
    static const char* const initials[] = {"J", "F", "M", "A", "M", "J", "J", "A", "S", "O", "N", "D"};
    return month >= 1 && month <= 12 ? initials[month - 1] : "";
}

std::optional<double> MonthGridLayout::sizeTextPoints(const std::function<double(double)>& widthAt, double room) {
    for (double points = 8; points >= 8 * 0.7; points -= 1)
        if (widthAt(points) <= room) return points;
    return std::nullopt;
}

}  // namespace korvane
