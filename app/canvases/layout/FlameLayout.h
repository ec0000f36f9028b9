#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QPointF>
#include <QRectF>

#include "core/model/StorageNode.h"

namespace korvane {

// Rows of cells, one row per depth: the root spans the top row and every
// cell's children share its width below it, largest first from the left.
struct FlameLayout {
    static constexpr double rowPitch = 28;
    static constexpr double cellHeight = 26;
    static constexpr double minimumWidth = 0.5;
    static constexpr double labelWidth = 54;

    struct Cell {
        const StorageNode* node = nullptr;
        QRectF rect;  // before the 1-point gap
        int depth = 0;
        // As drawn: 1 point narrower, leaving a gap to the right neighbour.
        QRectF frame() const { return {rect.x(), rect.y(), rect.width() - 1 > 1 ? rect.width() - 1 : 1, rect.height()}; }
        bool hasLabel() const { return rect.width() > labelWidth; }
    };

    std::vector<Cell> cells;  // pre-order
    double contentHeight = rowPitch;

    // Shapes point into the tree, which must outlive the layout.
    static FlameLayout make(const StorageNode& root, double width, int maxDepth);
    static FlameLayout make(const StorageNode&& root, double width, int maxDepth) = delete;

    // Fill opacity, fading with depth, scaled by the theme's fill strength.
    static double fillOpacity(int depth, double fillStrength);

    std::optional<std::size_t> cellAt(QPointF point) const;

private:
    // Per depth, the indices of its cells: pre-order visits them left to right.
    std::vector<std::vector<std::size_t>> rows_;
};

}  // namespace korvane
