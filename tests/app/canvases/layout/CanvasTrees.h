#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/StorageNode.h"

// Small hand-made trees for the layout tests.
namespace canvastest {

inline korvane::StorageNode leaf(std::string id, std::int64_t bytes) {
    korvane::StorageNode node;
    node.name = id;
    node.id = std::move(id);
    node.bytes = bytes;
    node.kind = korvane::StorageNode::Kind::item;
    return node;
}

inline korvane::StorageNode datedLeaf(std::string id, std::int64_t bytes,
                                      std::optional<std::chrono::system_clock::time_point> date) {
    auto node = leaf(std::move(id), bytes);
    node.lastModified = date;
    return node;
}

// A folder whose size is the sum of its children.
inline korvane::StorageNode folder(std::string id, std::vector<korvane::StorageNode> children) {
    korvane::StorageNode node;
    node.name = id;
    node.id = std::move(id);
    node.kind = korvane::StorageNode::Kind::group;
    for (const auto& child : children) node.bytes += std::max<std::int64_t>(child.bytes, 0);
    node.children = std::move(children);
    return node;
}

// A node named after its id's last part, at that id as its path, of the
// bytes given whatever its children hold (so trees can disagree with themselves).
inline korvane::StorageNode pathNode(std::string id, std::int64_t bytes,
                                     std::vector<korvane::StorageNode> children = {}) {
    korvane::StorageNode node;
    node.name = id.substr(id.rfind('/') + 1);
    node.path = id;
    node.id = std::move(id);
    node.bytes = bytes;
    node.kind = children.empty() ? korvane::StorageNode::Kind::item : korvane::StorageNode::Kind::group;
    node.children = std::move(children);
    return node;
}

inline korvane::StorageNode sizedFolder(std::string id, const std::vector<std::int64_t>& sizes) {
    std::vector<korvane::StorageNode> children;
    for (std::size_t i = 0; i < sizes.size(); ++i) children.push_back(leaf(id + "/" + std::to_string(i), sizes[i]));
    return folder(std::move(id), std::move(children));
}

}  // namespace canvastest
