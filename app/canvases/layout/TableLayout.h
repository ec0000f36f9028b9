#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/model/StorageNode.h"

namespace korvane {

// The table canvas's outline: the root's children and, under each opened
// row, what it holds, at any depth, every child listed in the tree's order
// (0-byte children too). Rows have one height, so only the visible ones are
// painted.
struct TableLayout {
    static constexpr double rowHeight = 28;
    static constexpr double indentStep = 16;

    struct Row {
        const StorageNode* node = nullptr;
        int depth = 0;  // 0 for a child of the root
        bool hasChevron = false;  // the node has children
        bool isExpanded = false;  // its id is among the opened rows
        double indent() const { return depth * indentStep; }
    };

    std::vector<Row> rows;
    // Some node of the tree carries a safety tag (a folder scan's carry
    // none, so their safety column needs room for its dash only).
    bool showsSafety = false;

    // `expanded` holds the ids of opened rows; ids stay there when their rows
    // are hidden, so a parent reopens with its children as they were.
    static TableLayout make(const StorageNode& root, const std::set<std::string>& expanded);
    static TableLayout make(const StorageNode&& root, const std::set<std::string>& expanded) = delete;

    // A tap opens or closes a row that has children; a leaf stays as it is.
    static void toggle(const StorageNode& node, std::set<std::string>& expanded);

    double contentHeight() const { return static_cast<double>(rows.size()) * rowHeight; }
    std::optional<std::size_t> rowAt(double y) const;
    std::pair<std::size_t, std::size_t> visibleRows(double top, double height) const;
};

}  // namespace korvane
