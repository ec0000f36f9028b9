#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/state/ViewChoices.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/Categories.h"
#include "core/model/ScanResult.h"
#include "core/model/StorageNode.h"

namespace korvane {

class DeveloperState;
class FolderScanState;
class NavigationState;

struct InspectorDetailRow {
    std::string label;
    std::string value;

    friend bool operator==(const InspectorDetailRow&, const InspectorDetailRow&) = default;
};

// Why the item may go, its safety and how it comes back.
struct InspectorReason {
    std::optional<SafetyLevel> safety;
    std::string reason;
    std::optional<std::string> restoreHint;

    friend bool operator==(const InspectorReason&, const InspectorReason&) = default;
};

// One of the largest children, with its bar.
struct LargestInsideRow {
    std::string id;
    std::string name;
    std::string bytes;
    CleanupCategory colorCategory = CleanupCategory::node;
    // Of the largest child's size, within 0...1; none when every child is
    // empty, and then no bar is drawn.
    std::optional<double> barFraction;

    friend bool operator==(const LargestInsideRow&, const LargestInsideRow&) = default;
};

struct LargestInside {
    static constexpr std::size_t shown = 8;
    static constexpr double minimumBarWidth = 3;

    // Of every child, or in a folder scan of what the walk counted, or for a
    // sum what its "Items" row counts: "20 items".
    std::string count;
    std::vector<LargestInsideRow> rows;

    friend bool operator==(const LargestInside&, const LargestInside&) = default;
};

// Everything the inspector shows of one node.
struct InspectorContent {
    std::string nodeID;
    // Header.
    CleanupCategory tileCategory = CleanupCategory::node;
    std::string tileSymbol;
    std::string name;
    std::string kindLabel;
    std::optional<std::string> pathLine;
    // Size.
    std::int64_t bytes = 0;
    std::string share;
    std::optional<std::string> reclaimable;  // "1.2 GB reclaimable"
    // Sections.
    std::optional<InspectorReason> reason;
    std::vector<InspectorDetailRow> details;
    std::optional<LargestInside> largest;
    // Actions.
    bool canReveal = false;
    // "Never touch this": for a node with a path not marked already. What it
    // does differs by mode: a developer scan leaves the node out, a folder
    // scan keeps showing it.
    bool neverTouchEnabled = false;
    std::string neverTouchHelp;
    // The second reveal button ("Show in Files"): also a folder's smaller
    // items, which have no path of their own but lie in their folder.
    bool canShowFolder = false;
    bool canFocus = false;
    // Developer mode only: a folder scan's nodes go through their page's own Remove.
    bool showsCleanup = false;
    std::string cleanupTitle;
    std::string cleanupSymbol;
    bool cleanupEnabled = false;

    friend bool operator==(const InspectorContent&, const InspectorContent&) = default;
};

// "Scan root", "Toolchain", "Group", "Folder", "Managed by Xcode", "Not inspected"
// ("Measured, not offered" for what a toolchain holds besides its items):
// the levels of a developer tree. In general mode the inspector names what a
// folder scan's node is instead (itemKindLabel).
std::string inspectorKindLabel(const StorageNode& node);
// "25.0% of scan", or an em dash when the total is below one byte.
std::string inspectorShare(const StorageNode& node, std::int64_t totalBytes);
// The DETAILS rows: the node's own facts, the scan's facts on a root, then
// the node's detail entries by key.
std::vector<InspectorDetailRow> inspectorDetailRows(const StorageNode& node, Mode mode,
                                                    const std::optional<ScanResult>& scan,
                                                    const std::optional<FileTreeScanner::Result>& folderScan,
                                                    std::chrono::system_clock::time_point now);
// None for a node without children.
std::optional<LargestInside> largestInside(const StorageNode& node, Mode mode = Mode::developer);
// The row's bar in a row `width` wide: at least the narrowest bar, at most
// the row; 0 when the row has no bar.
double largestInsideBarWidth(const LargestInsideRow& row, double width);

// The node the inspector describes: the selected one, else the focused one.
const StorageNode* inspectedNode(const NavigationState& navigation);
// None shows the empty state. The share is of the developer tree in
// developer mode and of the folder scan's root in general mode.
std::optional<InspectorContent> inspectorContent(const NavigationState& navigation,
                                                 const DeveloperState& developer,
                                                 const FolderScanState& folderScan, Mode mode,
                                                 std::chrono::system_clock::time_point now);

struct InspectorEmptyState {
    std::string title;
    std::string message;

    friend bool operator==(const InspectorEmptyState&, const InspectorEmptyState&) = default;
};
InspectorEmptyState inspectorEmptyState(Mode mode);

}  // namespace korvane
