#include "app/canvases/layout/TableLayout.h"

#include <algorithm>
#include <cmath>

#include "app/state/TreeNavigation.h"

namespace korvane {

namespace {

void list(const StorageNode& parent, int depth, const std::set<std::string>& expanded,
          std::vector<TableLayout::Row>& rows) {
    for (const auto& child : parent.children) {
        TableLayout::Row row;
        row.node = &child;
        row.depth = depth;
        row.hasChevron = TreeNavigation::opens(child);
        row.isExpanded = row.hasChevron && expanded.count(child.id) > 0;
        rows.push_back(row);
        if (row.isExpanded) list(child, depth + 1, expanded, rows);
    }
}

// Anywhere below, so that the columns stand still as rows open and close.
bool carriesSafety(const StorageNode& node) {
    return std::any_of(node.children.begin(), node.children.end(),
                       [](const StorageNode& child) { return child.safety || carriesSafety(child); });
}

}  // namespace

TableLayout TableLayout::make(const StorageNode& root, const std::set<std::string>& expanded) {
    TableLayout layout;
    list(root, 0, expanded, layout.rows);
    layout.showsSafety = carriesSafety(root);
    return layout;
}

void TableLayout::toggle(const StorageNode& node, std::set<std::string>& expanded) {
    if (!TreeNavigation::opens(node)) return;
    if (!expanded.erase(node.id)) expanded.insert(node.id);
}

std::optional<std::size_t> TableLayout::rowAt(double y) const {
    if (y < 0) return std::nullopt;
    const auto row = static_cast<std::size_t>(std::floor(y / rowHeight));
    if (row >= rows.size()) return std::nullopt;
    return row;
}

std::pair<std::size_t, std::size_t> TableLayout::visibleRows(double top, double height) const {
    const auto first = std::min(static_cast<std::size_t>(std::floor(std::max(top, 0.0) / rowHeight)), rows.size());
    const auto last =
        std::min(static_cast<std::size_t>(std::ceil(std::max(top + height, 0.0) / rowHeight)), rows.size());
    return {first, std::max(first, last)};
}

}  // namespace korvane
