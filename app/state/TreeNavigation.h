#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/CleanupCandidate.h"
#include "core/model/ScanResult.h"
#include "core/model/StorageNode.h"
#include "core/model/UUID.h"

namespace korvane {

// How the screens walk the storage trees and the set of chosen candidates:
// the filtered tree, the breadcrumb, the quick wins, and which candidates a
// node stands for. Plain functions of their arguments.
struct TreeNavigation {
    TreeNavigation() = delete;

    // The id of the developer tree's root; focusing it means no focus at all.
    static constexpr std::string_view rootID = "root";
    static constexpr std::size_t sidebarLimit = 7;

    // True when the text holds nothing but spaces and tabs.
    static bool isBlankSearch(std::string_view searchText);
    // The tree as the filter text leaves it; an empty root named like the tree
    // when nothing matches.
    static StorageNode visibleTree(const StorageNode& tree, std::string_view searchText);
    static bool searchHasNoMatches(std::string_view searchText, const StorageNode& visible);
    static std::size_t visibleItemCount(const StorageNode& visible);
    // The items a node on show holds: the scan's candidates among its leaves.
    // What a toolchain holds beyond them ("Not offered"), a category nobody
    // looked into and a bare node are no items: nothing there can be removed.
    static std::size_t itemCount(const StorageNode& shown);

    // A folder scan's remainder ("31 smaller items") not read yet: opening it
    // reads what it sums from the disk.
    static bool opensOnDemand(const StorageNode& node);
    // Whether drilling into the node shows something: it has children, or
    // they are read on demand.
    static bool opens(const StorageNode& node) { return !node.isLeaf() || opensOnDemand(node); }

    // The node with `id` in the visible tree, else in the whole tree: the
    // visible one carries only the children the filter kept.
    static const StorageNode* findVisibleFirst(const StorageNode& visible, const StorageNode& tree,
                                               std::string_view id);
    // Root down to the focused node, or just the root.
    static std::vector<const StorageNode*> breadcrumb(const StorageNode& tree,
                                                      const std::optional<std::string>& focusedID);
    // The node one level above the focused one; nullptr when the root is on
    // show already (no focus, the root focused, or a focus no longer in the tree).
    static const StorageNode* focusParent(const StorageNode& tree, const std::optional<std::string>& focusedID);
    // The grandchildren of the root with something to reclaim, most first
    // (ties keep tree order), at most sidebarLimit.
    static std::vector<const StorageNode*> sidebarItems(const StorageNode& tree);

    // The candidate ids of the leaves under `node`, dangerous ones left out.
    static std::vector<UUID> candidateIDs(const StorageNode& node);
    // The candidate ids of the nodes themselves, dangerous ones left out.
    static std::vector<UUID> candidateIDs(const std::vector<StorageNode>& nodes);
    static bool isSelected(const StorageNode& node, const std::set<UUID>& selection);
    // Removes the ids when all are chosen already, else adds them all; false
    // when there is nothing to toggle.
    static bool toggle(std::set<UUID>& selection, const std::vector<UUID>& ids);

    // The scan's candidates in category order, then the staged ones.
    static std::vector<CleanupCandidate> allCandidates(const std::optional<ScanResult>& scan,
                                                       const std::vector<CleanupCandidate>& staged);
    static std::vector<CleanupCandidate> selectedCandidates(const std::vector<CleanupCandidate>& all,
                                                            const std::set<UUID>& selection);
    // The ids of the safe candidates under a node on show (staged ones are
    // never safe picks: no tree holds them).
    static std::vector<UUID> safeCandidateIDs(const StorageNode& shown);
};

}  // namespace korvane
