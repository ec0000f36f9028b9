#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/AgeProfile.h"
#include "core/model/Categories.h"
#include "core/model/DetailMap.h"
#include "core/model/FileKind.h"
#include "core/model/UUID.h"

namespace korvane {

struct CategoryResult;
struct CleanupCandidate;
struct ScanResult;

// One node of a storage tree (developer tree or folder tree). Nodes are equal
// when their ids are equal; nothing else takes part.
struct StorageNode {
    enum class Kind : std::uint8_t { root, category, group, item, uninspected };

    // The small fields sit together at the end: a folder scan keeps tens of
    // thousands of nodes, and padding between them cost a tenth of each.
    std::string id;
    std::string name;
    std::int64_t bytes = 0;
    std::int64_t reclaimable = 0;
    std::optional<std::string> path;
    std::optional<std::string> reason;
    std::optional<std::string> restoreHint;
    DetailMap details;
    // When the node's own bytes, those no child holds, were last modified, where
    // one date cannot say it: a folder remainder's files, a folder's own blocks
    // and what it holds without a node of its own. Empty on a file (its date
    // says it) and on developer trees.
    AgeProfile ages;
    std::optional<std::chrono::system_clock::time_point> lastModified;
    std::vector<StorageNode> children;
    std::optional<UUID> candidateID;
    Kind kind = Kind::root;
    std::optional<CleanupCategory> category;
    std::optional<SafetyLevel> safety;
    std::optional<FileKind> fileKind;
    // Files and folders inside a folder (or a folder's remainder), at any
    // depth, as a folder scan's walk counted them; 0 for nodes of other trees.
    // Beside the small fields they cost a node 8 bytes, not 16.
    std::uint32_t fileCount = 0;
    std::uint32_t folderCount = 0;

    bool isLeaf() const { return children.empty(); }
    // 1 for a leaf, else the sum over the children.
    std::size_t leafCount() const;
    // The first node with this id in pre-order (this node first); nullptr when none.
    const StorageNode* find(std::string_view id) const;
    // From this node down to the node with this id, both included; empty when none.
    std::vector<const StorageNode*> pathTo(std::string_view id) const;
    // The leaves below this node in child order (this node when it is a leaf).
    std::vector<const StorageNode*> leaves() const;
    // The tree cut down to what matches the query (name, category title, path,
    // id; case-insensitive); a matching node keeps its whole subtree. The tree
    // itself for a blank query; no value when nothing matches.
    std::optional<StorageNode> filtered(std::string_view query) const;

    // Root "Developer storage" → categories → rule groups → candidates.
    static StorageNode developerTree(const ScanResult& scan, bool showsProtected);
    static std::optional<StorageNode> categoryNode(const CategoryResult& result, bool showsProtected);
    static StorageNode groupNode(const std::string& ruleID, const std::vector<CleanupCandidate>& candidates,
                                 CleanupCategory category);
    static StorageNode itemNode(const CleanupCandidate& candidate);
    // What a category's footprint counts beyond its candidates, as one node
    // that offers nothing.
    static StorageNode notOfferedNode(const CategoryResult& result, std::int64_t bytes);
    // The part of a toolchain's footprint that no candidate offers (notOfferedNode).
    bool isNotOffered() const;

    friend bool operator==(const StorageNode& a, const StorageNode& b) { return a.id == b.id; }
};

std::string_view rawValue(StorageNode::Kind kind);
std::optional<StorageNode::Kind> storageNodeKindFromRawValue(std::string_view text);

}  // namespace korvane

template <>
struct std::hash<korvane::StorageNode> {
    std::size_t operator()(const korvane::StorageNode& node) const noexcept {
        return std::hash<std::string>{}(node.id);
    }
};
