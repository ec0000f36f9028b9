#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/canvases/layout/CanvasClock.h"
#include "core/model/StorageNode.h"

namespace korvane {

// The age map's grid of bytes by the local calendar month of their last
// modification: one row per year that has bytes, newest first.
struct MonthGridLayout {
    struct Cell {
        std::string id;  // "2024-3"
        int year = 0;
        int month = 0;  // 1 to 12
        std::int64_t bytes = 0;
    };

    // Months with bytes, oldest first.
    std::vector<Cell> cells;
    // Every year from the newest with bytes to the oldest, newest first: a year
    // between them without bytes keeps its (empty) row. Over a longer span (a
    // date set centuries off) only the years with bytes have rows.
    static constexpr int longestTimeline = 100;
    std::vector<int> years;
    // The busiest month's bytes, at least 1.
    std::int64_t scale = 1;

    static MonthGridLayout make(const StorageNode& root, const CanvasClock& clock);
    static MonthGridLayout make(const StorageNode&& root, const CanvasClock& clock) = delete;

    bool isEmpty() const { return cells.empty(); }
    // The bytes of a grid position, 0 for a month without any.
    std::int64_t bytes(int year, int month) const;
    // √(bytes / scale); 0 for a month without bytes.
    double strength(std::int64_t bytes) const;
    // Accent opacity of a month with bytes (0.14 to 0.90); months without
    // bytes take the hover colour instead.
    double fillOpacity(std::int64_t bytes) const;
    // The size is written into cells above 0.55 strength.
    bool showsText(std::int64_t bytes) const;
    static std::string tooltip(std::int64_t bytes);
    // The point size a cell's size text is written at: 8, shrunk a point at a
    // time down to 70 % until `widthAt(points)` fits the room; none when it
    // does not fit even then (the tooltip still tells the size).
    static std::optional<double> sizeTextPoints(const std::function<double(double)>& widthAt, double room);
    // The bytes of the first cell with the largest total.
    std::int64_t busiestBytes() const;

    static const char* initial(int month);
    // Opacity of legend swatch 1 to 4.
    static double swatchOpacity(int swatch) { return swatch * 0.17 + 0.12; }

private:
    std::map<std::pair<int, int>, std::int64_t> byMonth_;
};

}  // namespace korvane
