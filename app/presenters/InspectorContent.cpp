#include "app/presenters/InspectorContent.h"

#include <algorithm>
#include <cstdio>

#include "app/presenters/CountText.h"
#include "app/presenters/ItemKind.h"
#include "app/presenters/OneLineText.h"
#include "app/presenters/SummaryNode.h"
#include "app/state/CleanupTexts.h"
#include "app/state/DeveloperState.h"
#include "app/state/FolderScanState.h"
#include "app/state/NavigationState.h"
#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"
#include "core/explorer/FolderTally.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"
#include "core/text/RelativeDate.h"

namespace korvane {

namespace {

std::string seconds(double duration) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1fs", duration);
    return text;
}

void addScanRows(std::vector<InspectorDetailRow>& rows, const StorageNode& node, const ScanResult& scan,
                 std::chrono::system_clock::time_point now) {
    rows.push_back({"Scanned", RelativeDate::string(scan.scanDate, now)});
    rows.push_back({"Scan time", seconds(scan.duration)});
    rows.push_back({"Projects found", ByteFormat::groupedInteger(scan.projectCount)});
    rows.push_back({"Toolchains", std::to_string(node.children.size()) + " of " +
                                      std::to_string(allCleanupCategories().size())});
    rows.push_back({"Free space", ByteFormat::string(scan.volume.availableCapacity)});
    const auto join = [](std::string& names, CleanupCategory category) {
        names += (names.empty() ? "" : ", ") + std::string(title(category));
    };
    // Not installed: the tool is not on this machine. A tool that is but
    // left nothing to offer (after a cleanup, say) has nothing to clean; one
    // that could not be looked into says why, unless its node does.
    std::string notInstalled;
    for (CleanupCategory category : scan.skipped) join(notInstalled, category);
    if (!notInstalled.empty()) rows.push_back({"Not installed", notInstalled});
    std::string nothingToClean;
    std::vector<InspectorDetailRow> notes;
    for (const CategoryResult& result : scan.categories) {
        if (!result.candidates.empty()) continue;
        if (!result.note)
            join(nothingToClean, result.category);
        else if (result.footprint < 1)
            notes.push_back({std::string(title(result.category)), *result.note});
    }
    if (!nothingToClean.empty()) rows.push_back({"Nothing to clean", nothingToClean});
    rows.insert(rows.end(), notes.begin(), notes.end());
    if (!scan.switchedOff.empty()) {
        std::string names;
        for (CleanupCategory category : scan.switchedOff)
            names += (names.empty() ? "" : ", ") + std::string(title(category));
        rows.push_back({"Switched off", names});
    }
}

// Names the mount points, a few of them: "~/a, /srv/b, /srv/c and 2 more".
std::string mountPointsText(const std::vector<std::string>& points) {
    constexpr std::size_t named = 3;
    const std::size_t shown = points.size() > named ? named : points.size();
    std::string text;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) text += i + 1 == points.size() ? " and " : ", ";
        text += oneLineText(Paths::abbreviatingHome(points[i]));
    }
    if (points.size() > shown) text += " and " + std::to_string(points.size() - shown) + " more";
    return text + (points.size() == 1 ? ", another file system" : ", other file systems");
}

void addFolderScanRows(std::vector<InspectorDetailRow>& rows, const FileTreeScanner::Result& result) {
    rows.push_back({"Scan time", seconds(result.duration)});
    rows.push_back({"Files", ByteFormat::groupedInteger(result.fileCount)});
    rows.push_back({"Folders", ByteFormat::groupedInteger(result.folderCount)});
    // What the totals lack, and why: the scan never sees inside these.
    std::vector<std::string> leftOut;
    if (result.trashBytes > 0) leftOut.push_back("the Trash, " + ByteFormat::string(result.trashBytes));
    if (!result.mountPoints.empty()) leftOut.push_back(mountPointsText(result.mountPoints));
    if (result.unreadableFolders > 0)
        leftOut.push_back(countText(result.unreadableFolders, "folder") + " it could not read");
    if (result.tooDeepFolders > 0)
        leftOut.push_back(countText(result.tooDeepFolders, "folder") + " deeper than " +
                          std::to_string(FileTreeScanner::Options{}.maxDepth) + " levels");
    if (!leftOut.empty()) {
        std::string text = leftOut.front();
        for (std::size_t i = 1; i < leftOut.size(); ++i) text += " \u00B7 " + leftOut[i];
        rows.push_back({"Left out", text + ", not counted"});
    }
}

// A sum's parts come from many folders, and their names repeat ("8 smaller
// items", "system.img"): each row also names its folder, below the one they
// all share.
void nameTheirFolders(std::vector<LargestInsideRow>& rows, const std::vector<const StorageNode*>& sorted) {
    std::vector<std::optional<std::string>> folders;
    std::optional<std::string> shared;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        folders.push_back(itemFolder(*sorted[i]));
        if (!folders.back()) continue;
        if (!shared) {
            shared = Paths::parent(*folders.back());
            continue;
        }
        while (*shared != "/" && !Paths::isAtOrBelow(*folders.back(), *shared))
            *shared = Paths::parent(*shared);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!folders[i]) continue;
        std::string_view below = *folders[i];
        below.remove_prefix(std::min(below.size(), shared->size()));
        while (below.starts_with('/')) below.remove_prefix(1);
        rows[i].name += " \u00B7 " + (below.empty() ? Paths::lastComponent(*folders[i]) : std::string(below));
    }
}

}  // namespace

std::string inspectorKindLabel(const StorageNode& node) {
    switch (node.kind) {
        case StorageNode::Kind::root:
            return "Scan root";
        case StorageNode::Kind::category:
            return "Toolchain";
        case StorageNode::Kind::group:
            return "Group";
        case StorageNode::Kind::item:
            if (node.path) return "Folder";
            return "Managed by " + (node.category ? std::string(title(*node.category)) : std::string("tool"));
        case StorageNode::Kind::uninspected:
            // What a toolchain holds besides its items was measured all the same.
            return node.isNotOffered() ? "Measured, not offered" : "Not inspected";
    }
    return {};
}

std::string inspectorShare(const StorageNode& node, std::int64_t totalBytes) {
    if (totalBytes < 1) return "\u2014";
    char text[64];
    std::snprintf(text, sizeof text, "%.1f%% of scan",
                  static_cast<double>(node.bytes) / static_cast<double>(totalBytes) * 100);
    return text;
}

std::vector<InspectorDetailRow> inspectorDetailRows(const StorageNode& node, Mode mode,
                                                    const std::optional<ScanResult>& scan,
                                                    const std::optional<FileTreeScanner::Result>& folderScan,
                                                    std::chrono::system_clock::time_point now) {
    std::vector<InspectorDetailRow> rows;
    // Another file system mounted here counts for nothing: opened, it is scanned on its own.
    const bool mountPoint = mode == Mode::general && FileTreeScanner::isMountPoint(node);
    rows.push_back({"Size on disk", mountPoint ? "Not counted" : ByteFormat::string(node.bytes)});
    if (node.reclaimable != node.bytes)
        rows.push_back({"Reclaimable", node.reclaimable < 1 ? "None" : ByteFormat::string(node.reclaimable)});
    if (mode == Mode::general) {
        // What the walk counted, not the tiles drawn; the root's come with the scan's facts.
        if (isWalkedNode(node) && itemNature(node) != ItemNature::file && !mountPoint &&
            node.kind != StorageNode::Kind::root) {
            rows.push_back({"Files", ByteFormat::groupedInteger(node.fileCount)});
            rows.push_back({"Folders", ByteFormat::groupedInteger(node.folderCount)});
        }
    } else if (!node.isLeaf() && !isSummaryNode(node)) {
        // A sum's count is among its details.
        rows.push_back(
            {"Items", ByteFormat::groupedInteger(static_cast<std::int64_t>(TreeNavigation::itemCount(node)))});
    }
    if (node.lastModified) rows.push_back({"Modified", RelativeDate::string(node.lastModified, now)});
    if (node.kind == StorageNode::Kind::root) {
        if (mode == Mode::developer && scan) addScanRows(rows, node, *scan, now);
        if (mode == Mode::general && folderScan) addFolderScanRows(rows, *folderScan);
    }
    // The map keeps its keys in plain byte order. A developer scan keeps the
    // dates in its texts, worded as they are shown (a file's name is left alone).
    for (const auto& [key, value] : node.details)
        rows.push_back({key, mode == Mode::developer ? RelativeDate::worded(value, now) : value});
    return rows;
}

std::optional<LargestInside> largestInside(const StorageNode& node, Mode mode) {
    if (node.isLeaf()) return std::nullopt;
    std::vector<const StorageNode*> children;
    children.reserve(node.children.size());
    for (const StorageNode& child : node.children) children.push_back(&child);
    const std::size_t kept = std::min(children.size(), LargestInside::shown);
    // Equal sizes keep their tree order: the children's addresses follow it.
    std::partial_sort(children.begin(), children.begin() + static_cast<std::ptrdiff_t>(kept), children.end(),
                      [](const StorageNode* a, const StorageNode* b) {
                          if (a->bytes != b->bytes) return a->bytes > b->bytes;
                          return a < b;
                      });
    LargestInside largest;
    // A folder of a scan holds what the walk counted; the rows are only its largest tiles.
    auto walked = mode == Mode::general ? itemCountText(node) : std::nullopt;
    // A sum counts what its "Items" row counts, not only the parts listed: a
    // canvas's sum what its parts hold, a folder's remainder the entries it sums.
    if (isSummaryNode(node)) walked = countText(heldItems(node), "item");
    if (walked && FileTreeScanner::isRemainderID(node.id)) walked = countText(remainderItems(node), "item");
    // Otherwise the rows' own count, named for what they are: the header and
    // the "Items" row count the items further down.
    const std::string_view rows = node.kind == StorageNode::Kind::root       ? "toolchain"
                                  : node.kind == StorageNode::Kind::category ? "group"
                                                                             : "item";
    largest.count = walked ? *walked : countText(static_cast<std::int64_t>(node.children.size()), rows);
    const std::int64_t reference = children.front()->bytes;
    const CleanupCategory fallback = node.category.value_or(CleanupCategory::node);
    for (std::size_t index = 0; index < kept; ++index) {
        const StorageNode& child = *children[index];
        LargestInsideRow row{child.id, child.name, ByteFormat::string(child.bytes), child.category.value_or(fallback),
                             std::nullopt};
        if (reference >= 1)
            row.barFraction =
                std::clamp(static_cast<double>(child.bytes) / static_cast<double>(reference), 0.0, 1.0);
        largest.rows.push_back(std::move(row));
    }
    if (isSummaryNode(node)) nameTheirFolders(largest.rows, children);
    // One line each: a line break in a name must not break the row.
    for (LargestInsideRow& row : largest.rows) row.name = oneLineText(row.name);
    return largest;
}

double largestInsideBarWidth(const LargestInsideRow& row, double width) {
    if (!row.barFraction || width <= 0) return 0;
    return std::min(width, std::max(width * *row.barFraction, LargestInside::minimumBarWidth));
}

const StorageNode* inspectedNode(const NavigationState& navigation) {
    if (const StorageNode* selected = navigation.selectedNode()) return selected;
    return navigation.focusedNode();
}

std::optional<InspectorContent> inspectorContent(const NavigationState& navigation,
                                                 const DeveloperState& developer,
                                                 const FolderScanState& folderScan, Mode mode,
                                                 std::chrono::system_clock::time_point now) {
    const StorageNode* shown = inspectedNode(navigation);
    if (!shown) return std::nullopt;
    const StorageNode& node = *shown;
    InspectorContent content;
    content.nodeID = node.id;
    content.tileCategory = node.category.value_or(CleanupCategory::node);
    content.tileSymbol = node.category ? std::string(symbolName(*node.category)) : std::string("internaldrive");
    // A line break in a name or path is shown, not followed: the path line
    // must not stop at it as though the path ended there.
    content.name = oneLineText(node.name);
    content.kindLabel = inspectorKindLabel(node);
    // The kinds above name a developer tree's levels; a folder scan holds folders and files.
    if ((mode == Mode::general && node.kind != StorageNode::Kind::root) || isSummaryNode(node)) {
        content.kindLabel = itemKindLabel(node);
        content.tileSymbol = std::string(itemSymbol(node));
    }
    if (node.path) {
        content.pathLine = Paths::abbreviatingHome(*node.path);
        // The home itself is named "~": the path line says where that is.
        if (*content.pathLine == node.name) content.pathLine = *node.path;
        content.pathLine = oneLineText(*content.pathLine);
    }
    content.bytes = node.bytes;
    // In general mode the node belongs to the folder scan, so that is its whole.
    std::int64_t total = developer.tree().bytes;
    if (mode == Mode::general) {
        const StorageNode* root = folderScan.generalRoot();
        total = root ? root->bytes : 0;
    }
    // Another file system mounted here is no share of this scan.
    content.share = mode == Mode::general && FileTreeScanner::isMountPoint(node) ? "Another file system, not counted"
                                                                                : inspectorShare(node, total);
    if (node.reclaimable >= 1) content.reclaimable = ByteFormat::string(node.reclaimable) + " reclaimable";
    if (node.reason) {
        const std::string reason =
            mode == Mode::developer ? RelativeDate::worded(*node.reason, now) : *node.reason;
        content.reason = InspectorReason{node.safety, reason, node.restoreHint};
    }
    content.details = inspectorDetailRows(node, mode, developer.scan(), folderScan.generalResult(), now);
    content.largest = largestInside(node, mode);
    content.canReveal = node.path.has_value();
    const bool marked = mode == Mode::general && node.path && developer.preferences().settings().isExcluded(*node.path);
    if (marked) content.details.push_back({"Never touch", "Marked: Korvane will not remove it"});
    content.neverTouchEnabled = content.canReveal && !marked;
    content.neverTouchHelp = mode == Mode::general ? CleanupTexts::neverTouchInGeneralMode(node.kind != StorageNode::Kind::item)
                                                   : "Keep this out of every future scan";
    content.canShowFolder = content.canReveal || FileTreeScanner::isRemainderID(node.id);
    // A sum's parts lie in several folders: there is no one place to drill
    // into. A folder's remainder is read when it is opened.
    content.canFocus = opensFurther(node) && !isSummaryNode(node);
    content.showsCleanup = mode == Mode::developer;
    const bool selected = developer.isSelected(node);
    content.cleanupTitle = selected ? "Remove from cleanup" : "Add to cleanup";
    content.cleanupSymbol = selected ? "minus.circle" : "trash";
    content.cleanupEnabled = node.reclaimable != 0;
    return content;
}

InspectorEmptyState inspectorEmptyState(Mode mode) {
    return {"Nothing selected", mode == Mode::developer
                                    ? "Pick a tile, a bar or a row to see what it is, why it is safe to "
                                      "remove, and how to get it back."
                                    : "Pick a tile to see what it is, how big it is, and what is inside it."};
}

}  // namespace korvane
