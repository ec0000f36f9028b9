#include "app/state/TreeNavigation.h"

#include <algorithm>

#include "core/explorer/FileTreeScanner.h"

namespace korvane {

bool TreeNavigation::isBlankSearch(std::string_view searchText) {
    return searchText.find_first_not_of(" \t") == std::string_view::npos;
}

StorageNode TreeNavigation::visibleTree(const StorageNode& tree, std::string_view searchText) {
    if (isBlankSearch(searchText)) return tree;
    if (auto kept = tree.filtered(searchText)) return std::move(*kept);
    StorageNode empty;
    empty.id = std::string(rootID);
    empty.name = tree.name;
    empty.kind = StorageNode::Kind::root;
    return empty;
}

bool TreeNavigation::searchHasNoMatches(std::string_view searchText, const StorageNode& visible) {
    return !isBlankSearch(searchText) && visible.children.empty();
}

std::size_t TreeNavigation::visibleItemCount(const StorageNode& visible) { return itemCount(visible); }

std::size_t TreeNavigation::itemCount(const StorageNode& shown) {
    const auto leaves = shown.leaves();
    const auto isItem = [](const StorageNode* leaf) { return leaf->candidateID.has_value(); };
    return static_cast<std::size_t>(std::count_if(leaves.begin(), leaves.end(), isItem));
}

bool TreeNavigation::opensOnDemand(const StorageNode& node) {
    return node.isLeaf() && node.bytes >= 1 && FileTreeScanner::isRemainderID(node.id);
}

const StorageNode* TreeNavigation::findVisibleFirst(const StorageNode& visible, const StorageNode& tree,
                                                    std::string_view id) {
    if (const auto* found = visible.find(id)) return found;
    return tree.find(id);
}

std::vector<const StorageNode*> TreeNavigation::breadcrumb(const StorageNode& tree,
                                                           const std::optional<std::string>& focusedID) {
    if (focusedID) {
        auto chain = tree.pathTo(*focusedID);
        if (!chain.empty()) return chain;
    }
    return {&tree};
}

const StorageNode* TreeNavigation::focusParent(const StorageNode& tree,
                                               const std::optional<std::string>& focusedID) {
    const auto chain = breadcrumb(tree, focusedID);
    return chain.size() >= 2 ? chain[chain.size() - 2] : nullptr;
}

std::vector<const StorageNode*> TreeNavigation::sidebarItems(const StorageNode& tree) {
    std::vector<const StorageNode*> items;
    for (const auto& category : tree.children)
        for (const auto& child : category.children)
            if (child.reclaimable >= 1) items.push_back(&child);
    std::stable_sort(items.begin(), items.end(), [](const StorageNode* a, const StorageNode* b) {
        return a->reclaimable > b->reclaimable;
    });
    if (items.size() > sidebarLimit) items.resize(sidebarLimit);
    return items;
}

namespace {

// The candidate a node stands for, when it may be selected at all.
const UUID* selectableID(const StorageNode& node) {
    if (node.safety == SafetyLevel::dangerous || !node.candidateID) return nullptr;
    return &*node.candidateID;
}

void appendCandidateID(const StorageNode& node, std::vector<UUID>& ids) {
    if (const UUID* id = selectableID(node)) ids.push_back(*id);
}

}  // namespace

std::vector<UUID> TreeNavigation::candidateIDs(const StorageNode& node) {
    std::vector<UUID> ids;
    for (const auto* leaf : node.leaves()) appendCandidateID(*leaf, ids);
    return ids;
}

std::vector<UUID> TreeNavigation::candidateIDs(const std::vector<StorageNode>& nodes) {
    std::vector<UUID> ids;
    for (const auto& node : nodes) appendCandidateID(node, ids);
    return ids;
}

bool TreeNavigation::isSelected(const StorageNode& node, const std::set<UUID>& selection) {
    // Asked on every change of the state, often of the root of a large folder
    // tree: no list of ids, and the walk ends at the first leaf that settles it.
    if (selection.empty()) return false;
    bool any = false;
    std::vector<const StorageNode*> pending{&node};
    while (!pending.empty()) {
        const StorageNode* current = pending.back();
        pending.pop_back();
        if (!current->isLeaf()) {
            for (const StorageNode& child : current->children) pending.push_back(&child);
            continue;
        }
        const UUID* id = selectableID(*current);
        if (!id) continue;
        if (!selection.contains(*id)) return false;
        any = true;
    }
    return any;
}

bool TreeNavigation::toggle(std::set<UUID>& selection, const std::vector<UUID>& ids) {
    if (ids.empty()) return false;
    const bool allChosen =
        std::all_of(ids.begin(), ids.end(), [&](const UUID& id) { return selection.contains(id); });
    for (const auto& id : ids) {
        if (allChosen)
            selection.erase(id);
        else
            selection.insert(id);
    }
    return true;
}

std::vector<CleanupCandidate> TreeNavigation::allCandidates(const std::optional<ScanResult>& scan,
                                                            const std::vector<CleanupCandidate>& staged) {
    std::vector<CleanupCandidate> all = scan ? scan->allCandidates() : std::vector<CleanupCandidate>{};
    all.insert(all.end(), staged.begin(), staged.end());
    return all;
}

std::vector<CleanupCandidate> TreeNavigation::selectedCandidates(const std::vector<CleanupCandidate>& all,
                                                                 const std::set<UUID>& selection) {
    std::vector<CleanupCandidate> chosen;
    for (const auto& candidate : all)
        if (selection.contains(candidate.id)) chosen.push_back(candidate);
    return chosen;
}

std::vector<UUID> TreeNavigation::safeCandidateIDs(const StorageNode& shown) {
    std::vector<UUID> ids;
    for (const auto* leaf : shown.leaves())
        if (leaf->safety == SafetyLevel::safe) appendCandidateID(*leaf, ids);
    return ids;
}

}  // namespace korvane
