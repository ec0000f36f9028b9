#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "core/model/StorageNode.h"

namespace korvane {

// The squarified treemap: rows of rectangles whose areas follow the sizes,
// each row laid along the free rectangle's shorter side while adding a node
// does not make the row's worst aspect ratio larger.
struct Squarify {
    struct Tile {
        const StorageNode* node = nullptr;
        QRectF rect;
    };
    // The visible children of `parent` (at least one byte, largest first)
    // laid out in `area`, in placement order. Children left when the free
    // rectangle has shrunk to half a point get no tile.
    static std::vector<Tile> layout(const StorageNode& parent, QRectF area);
    static std::vector<Tile> layout(const StorageNode&& parent, QRectF area) = delete;
    // The worst aspect ratio of a row of areas whose largest is `largest`,
    // smallest `smallest` and sum `sum`, laid along `side`; infinite when
    // any of them is not positive.
    static double worst(double largest, double smallest, double sum, double side);
};

// The treemap canvas: the root's children as tiles, and one level of inner
// tiles inside each tile that has room.
struct TreemapLayout {
    static constexpr double tileInset = 1.5;
    static constexpr double innerInset = 1;

    struct Tile {
        const StorageNode* node = nullptr;
        QRectF rect;   // as laid out
        QRectF frame;  // as drawn, leaving a 3-point gap between neighbours
        bool hasLabel = false;     // wider than 54 and taller than 26
        bool hasSizeText = false;  // with a label, wider than 150
        std::size_t firstInner = 0;
        std::size_t innerCount = 0;
    };
    struct InnerTile {
        const StorageNode* node = nullptr;
        std::size_t parent = 0;  // index into tiles
        QRectF rect;             // as laid out, in canvas coordinates
        QRectF frame;            // as drawn
        bool hasLabel = false;   // wider than 46 and taller than 18
    };

    std::vector<Tile> tiles;
    std::vector<InnerTile> inner;

    // Shapes point into the tree, which must outlive the layout.
    static TreemapLayout make(const StorageNode& root, QSizeF size);
    static TreemapLayout make(const StorageNode&& root, QSizeF size) = delete;

    struct Hit {
        std::size_t tile = 0;
        std::optional<std::size_t> inner;  // index into inner when an inner tile is hit
    };
    std::optional<Hit> hitAt(QPointF point) const;
};

}  // namespace korvane
