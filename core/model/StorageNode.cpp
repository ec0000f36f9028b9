#include "core/model/StorageNode.h"

#include <algorithm>

#include "core/model/CategoryResult.h"
#include "core/model/ScanResult.h"
#include "core/model/SizeSum.h"
#include "core/text/TextCase.h"

namespace korvane {

namespace {
// No real path ends so: a category's id is a single word.
constexpr const char* notOfferedSuffix = "//notOffered";
}  // namespace

namespace {

struct KindRow {
    StorageNode::Kind kind;
    std::string_view rawValue;
};

constexpr KindRow kindTable[] = {
    {StorageNode::Kind::root, "root"},   {StorageNode::Kind::category, "category"},
    {StorageNode::Kind::group, "group"}, {StorageNode::Kind::item, "item"},
    {StorageNode::Kind::uninspected, "uninspected"},
};

std::string lowered(std::string_view text) { return TextCase::lowercased(text); }

bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

bool nodeMatches(const StorageNode& node, const std::string& query) {
    if (contains(lowered(node.name), query)) return true;
    if (node.category && contains(lowered(title(*node.category)), query)) return true;
    if (node.path && contains(lowered(*node.path), query)) return true;
    // A candidate's node is named by its random identifier: "8" or "cafe"
    // would find items whose name and path hold neither.
    if (node.candidateID) return false;
    return contains(lowered(node.id), query);
}

std::optional<StorageNode> prune(const StorageNode& node, const std::string& query, bool ancestorMatched) {
    const bool matches = ancestorMatched || nodeMatches(node, query);
    if (node.children.empty()) {
        if (!matches) return std::nullopt;
        return node;
    }
    std::vector<StorageNode> kept;
    for (const auto& child : node.children)
        if (auto pruned = prune(child, query, matches)) kept.push_back(std::move(*pruned));
    if (kept.empty() && !matches) return std::nullopt;

    StorageNode copy;
    copy.id = node.id;
    copy.name = node.name;
    copy.kind = node.kind;
    copy.category = node.category;
    copy.safety = node.safety;
    copy.candidateID = node.candidateID;
    copy.path = node.path;
    copy.reason = node.reason;
    copy.restoreHint = node.restoreHint;
    copy.details = node.details;
    copy.lastModified = node.lastModified;
    if (kept.empty()) {
        copy.bytes = node.bytes;
        copy.reclaimable = node.reclaimable;
    } else {
        SizeSum bytes, reclaimable;
        for (const auto& child : kept) {
            bytes += child.bytes;
            reclaimable += child.reclaimable;
        }
        copy.bytes = bytes.total();
        copy.reclaimable = reclaimable.total();
    }
    copy.children = std::move(kept);
    return copy;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

void sortLargestFirst(std::vector<StorageNode>& nodes) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const StorageNode& a, const StorageNode& b) { return a.bytes > b.bytes; });
}

// What a rule's group holds, in words: its first item in the scanner's
// order, and how many more.
std::string heldText(const std::vector<CleanupCandidate>& candidates) {
    if (candidates.empty()) return {};
    std::string text = candidates.front().title;
    if (candidates.size() > 1) text += " and " + std::to_string(candidates.size() - 1) + " more";
    return text;
}

// Groups of one category whose rules share a title ("Editors" for the
// JetBrains caches and for VS Code's) would read as one group twice: each of
// them is named with what it holds as well.
void nameApart(std::vector<StorageNode>& groups, const std::vector<std::string>& held) {
    std::vector<bool> shared(groups.size(), false);
    for (std::size_t i = 0; i < groups.size(); ++i)
        for (std::size_t j = i + 1; j < groups.size(); ++j)
            if (groups[i].name == groups[j].name) shared[i] = shared[j] = true;
    for (std::size_t i = 0; i < groups.size(); ++i)
        if (shared[i] && !held[i].empty()) groups[i].name += " (" + held[i] + ")";
}

}  // namespace

std::string_view rawValue(StorageNode::Kind kind) { return kindTable[static_cast<std::size_t>(kind)].rawValue; }

std::optional<StorageNode::Kind> storageNodeKindFromRawValue(std::string_view text) {
    for (const auto& row : kindTable)
        if (row.rawValue == text) return row.kind;
    return std::nullopt;
}

std::size_t StorageNode::leafCount() const {
    if (children.empty()) return 1;
    std::size_t count = 0;
    for (const auto& child : children) count += child.leafCount();
    return count;
}

const StorageNode* StorageNode::find(std::string_view wanted) const {
    if (id == wanted) return this;
    for (const auto& child : children)
        if (const auto* found = child.find(wanted)) return found;
    return nullptr;
}

std::vector<const StorageNode*> StorageNode::pathTo(std::string_view wanted) const {
    if (id == wanted) return {this};
    for (const auto& child : children) {
        auto below = child.pathTo(wanted);
        if (!below.empty()) {
            below.insert(below.begin(), this);
            return below;
        }
    }
    return {};
}

std::vector<const StorageNode*> StorageNode::leaves() const {
    std::vector<const StorageNode*> result;
    std::vector<const StorageNode*> pending{this};
    // Depth-first with an explicit stack: folder trees can be deep.
    while (!pending.empty()) {
        const StorageNode* node = pending.back();
        pending.pop_back();
        if (node->children.empty()) {
            result.push_back(node);
            continue;
        }
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) pending.push_back(&*it);
    }
    return result;
}

std::optional<StorageNode> StorageNode::filtered(std::string_view query) const {
    while (!query.empty() && isBlank(query.front())) query.remove_prefix(1);
    while (!query.empty() && isBlank(query.back())) query.remove_suffix(1);
    if (query.empty()) return *this;
    return prune(*this, lowered(query), false);
}

StorageNode StorageNode::developerTree(const ScanResult& scan, bool showsProtected) {
    std::vector<StorageNode> categories;
    for (const auto& result : scan.categories)
        if (auto node = categoryNode(result, showsProtected)) categories.push_back(std::move(*node));
    sortLargestFirst(categories);

    StorageNode root;
    root.id = "root";
    root.name = "Developer storage";
    root.kind = Kind::root;
    SizeSum bytes, reclaimable;
    for (const auto& node : categories) {
        bytes += node.bytes;
        reclaimable += node.reclaimable;
    }
    root.bytes = bytes.total();
    root.reclaimable = reclaimable.total();
    root.children = std::move(categories);
    return root;
}

std::optional<StorageNode> StorageNode::categoryNode(const CategoryResult& result, bool showsProtected) {
    std::vector<CleanupCandidate> kept;
    SizeSum hidden;
    for (const auto& candidate : result.candidates) {
        if (showsProtected || candidate.safety != SafetyLevel::dangerous)
            kept.push_back(candidate);
        else
            hidden += candidate.size;
    }
    // Protected items left out of the tree take their bytes with them: what
    // the category holds besides its items stays.
    const std::int64_t footprint = std::max<std::int64_t>(result.footprint - hidden.total(), 0);

    StorageNode node;
    node.id = std::string(rawValue(result.category));
    node.name = std::string(title(result.category));
    node.category = result.category;

    if (kept.empty() && (footprint < 1 || result.note)) {
        if (footprint < 1) return std::nullopt;
        node.bytes = footprint;
        node.reclaimable = 0;
        node.kind = Kind::uninspected;
        node.reason = result.note;
        node.details = {{"Note", *result.note}};
        return node;
    }

    std::vector<StorageNode> groups;
    std::vector<std::string> held;
    for (const auto& [ruleID, candidates] : groupedByRule(kept)) {
        groups.push_back(groupNode(ruleID, candidates, result.category));
        held.push_back(heldText(candidates));
    }
    nameApart(groups, held);
    sortLargestFirst(groups);

    SizeSum bytes;
    for (const auto& group : groups) bytes += group.bytes;
    // The footprint also counts what no candidate offers; that part is drawn too.
    if (footprint > bytes.total()) groups.push_back(notOfferedNode(result, footprint - bytes.total()));
    node.bytes = std::max(bytes.total(), footprint);
    node.reclaimable = result.reclaimable();
    node.kind = Kind::category;
    if (result.note) node.details = {{"Note", *result.note}};
    node.children = std::move(groups);
    return node;
}

bool StorageNode::isNotOffered() const {
    return kind == Kind::uninspected && id.ends_with(notOfferedSuffix);
}

StorageNode StorageNode::notOfferedNode(const CategoryResult& result, std::int64_t bytes) {
    StorageNode node;
    node.id = std::string(rawValue(result.category)) + notOfferedSuffix;
    node.name = "Not offered";
    node.kind = Kind::uninspected;
    node.category = result.category;
    node.bytes = bytes;
    node.reclaimable = 0;
    node.reason =
        "Counted in this toolchain's storage but not offered for removal: items outside your home folder, "
        "too small to be worth it, kept by Korvane's rules, or marked Never touch.";
    return node;
}

StorageNode StorageNode::groupNode(const std::string& ruleID, const std::vector<CleanupCandidate>& candidates,
                                   CleanupCategory category) {
    std::vector<const CleanupCandidate*> sorted;
    for (const auto& candidate : candidates) sorted.push_back(&candidate);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const CleanupCandidate* a, const CleanupCandidate* b) { return a->size > b->size; });

    StorageNode node;
    node.id = std::string(rawValue(category)) + "/" + ruleID;
    node.kind = Kind::group;
    node.category = category;
    SizeSum bytes, reclaimable;
    SafetyLevel strictest = SafetyLevel::safe;
    for (const auto* candidate : sorted) {
        node.children.push_back(itemNode(*candidate));
        bytes += node.children.back().bytes;
        reclaimable += node.children.back().reclaimable;
        strictest = std::max(strictest, candidate->safety);
    }
    node.bytes = bytes.total();
    node.reclaimable = reclaimable.total();
    node.safety = strictest;
    if (!candidates.empty()) {
        node.name = candidates.front().groupTitle;
        node.reason = candidates.front().reason;
        node.restoreHint = candidates.front().restoreHint;
    }
    return node;
}

StorageNode StorageNode::itemNode(const CleanupCandidate& candidate) {
    StorageNode node;
    node.id = candidate.id.text();
    node.name = candidate.title;
    node.bytes = candidate.size;
    node.reclaimable = candidate.safety == SafetyLevel::dangerous ? 0 : candidate.size;
    node.kind = Kind::item;
    node.category = candidate.category;
    node.safety = candidate.safety;
    node.candidateID = candidate.id;
    if (candidate.removal.isPath()) node.path = candidate.path;
    node.reason = candidate.reason;
    node.restoreHint = candidate.restoreHint;
    node.details = candidate.details;
    node.lastModified = candidate.lastModified;
    return node;
}

}  // namespace korvane
