#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include "core/model/StorageNode.h"

namespace korvane {

// The folders canvas: the root's visible children as folder-shaped tiles in
// as many columns as fit between 208 and 320 points wide. Tiles have one
// height, so only the visible ones are built and painted.
struct FoldersLayout {
    static constexpr double padding = 4;
    static constexpr double headerHeight = 20;  // the "Folders" heading line
    static constexpr double stackSpacing = 12;  // between the heading and the grid
    static constexpr double minimumColumn = 208;
    static constexpr double maximumColumn = 320;
    static constexpr double spacing = 14;
    static constexpr double tileHeight = 124;
    static constexpr std::size_t dotCount = 3;

    std::vector<const StorageNode*> tiles;  // the root's visible children
    int columns = 1;
    double columnWidth = 0;
    double gridLeft = padding;
    double gridTop = padding + headerHeight + stackSpacing;

    static FoldersLayout make(const StorageNode& root, double width);
    static FoldersLayout make(const StorageNode&& root, double width) = delete;

    // As many columns of at least 208 points (with 14 between) as the width
    // holds, at least one; each at most 320 wide.
    static int columnCount(double width);

    bool isEmpty() const { return tiles.empty(); }
    // A file of a folder scan is drawn as a sheet, not a folder.
    static bool isFileTile(const StorageNode& node);
    // The headings over the grid and what each counts: "Folders" for the
    // folders, "Files" for the files (a sum of smaller items is neither);
    // one is left out when it counts nothing, unless both would be.
    struct Heading {
        std::string title;
        std::size_t count = 0;
        friend bool operator==(const Heading&, const Heading&) = default;
    };
    std::vector<Heading> headings() const;
    QRectF tileRect(std::size_t index) const;
    double contentHeight() const;
    std::optional<std::size_t> tileAt(QPointF point) const;
    // Tiles that meet [top, top + height): first and one past the last.
    std::pair<std::size_t, std::size_t> visibleTiles(double top, double height) const;

    // The colour dots of a tile: its node's three largest visible children.
    static std::vector<const StorageNode*> dots(const StorageNode& node);
    // The tile's count: in a folder scan the files and folders the walk
    // counted inside ("1,234 items"), or a file's kind ("Video"); elsewhere
    // the number of leaves under the node.
    static std::string itemsText(const StorageNode& node);

    // A rounded rectangle with a tab on its upper left, drawn `inset` inside
    // the rectangle.
    static QPainterPath folderShape(QRectF rect, double radius = 8, double tabWidth = 0.36, double tabHeight = 11,
                                    double inset = 0);
    // A rounded rectangle with its upper right corner folded down, drawn
    // `inset` inside the rectangle.
    static QPainterPath fileShape(QRectF rect, double radius = 8, double fold = 18, double inset = 0);
    // The outline of a node's tile: a folder's, a file's, or for a sum of
    // smaller items a plain rounded rectangle.
    static QPainterPath tileShape(const StorageNode& node, QRectF rect, double inset = 0);
};

}  // namespace korvane
