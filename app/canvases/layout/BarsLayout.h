#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QRectF>

#include "core/model/Categories.h"
#include "core/model/StorageNode.h"

namespace korvane {

// The ranked rows of the bars canvas, each with its size bar and reclaimable
// bar as fractions of the bar cell (scaled against the largest child).
struct BarsLayout {
    static constexpr double topPadding = 8;
    static constexpr double rowHeight = 32;  // 26-point bar cell and 3 points above and below
    static constexpr double rowSpacing = 2;
    static constexpr double horizontalPadding = 10;
    static constexpr double columnSpacing = 10;
    static constexpr double nameWidth = 190;
    static constexpr double sizeColumnWidth = 74;

    struct Row {
        const StorageNode* node = nullptr;
        double sizeFraction = 0;         // of the bar cell, 0 to 1
        double reclaimableFraction = 0;  // 0 to sizeFraction
    };

    std::vector<Row> rows;  // the root's visible children
    std::int64_t scale = 1; // the largest child's bytes, at least 1

    // Shapes point into the tree, which must outlive the layout.
    static BarsLayout make(const StorageNode& root);
    static BarsLayout make(const StorageNode&& root) = delete;

    // Every uncategorised node takes the colour of the `node` category.
    static CleanupCategory barCategory(const StorageNode& node);
    // "—" when nothing is reclaimable.
    static std::string reclaimableText(std::int64_t reclaimable);

    struct Columns {
        QRectF name, bar, total, reclaimable;  // x ranges of a row at y 0
    };
    static Columns columns(double width);

    double contentHeight() const;
    QRectF rowRect(std::size_t row, double width) const;
    std::optional<std::size_t> rowAt(double y) const;
    // Rows that meet [top, top + height): first and one past the last.
    std::pair<std::size_t, std::size_t> visibleRows(double top, double height) const;
};

}  // namespace korvane
