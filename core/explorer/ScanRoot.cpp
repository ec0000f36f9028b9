#include "core/explorer/ScanRoot.h"

#include <algorithm>
#include <utility>

namespace korvane {

void ScanRoot::deliver(std::uint32_t seq, StorageNode* node, std::int64_t bytes, TimePoint newest,
                       std::optional<AgeProfile::Stamp> stamp, bool isFile) {
    std::lock_guard guard(lock_);
    bytes_ += bytes;
    newest_ = std::max(newest_, newest);
    if (node) {
        children_.push_back({seq, std::move(*node)});
        return;
    }
    foldBytes_ += bytes;
    foldItems_ += 1;
    if (isFile) foldFiles_ += 1;
    foldNewest_ = std::max(foldNewest_, newest);
    if (stamp) foldAges_.add(*stamp, bytes, isFile ? 1 : 0);
}

void ScanRoot::finish(StorageNode& root, std::int64_t ownBytes, TimePoint ownDate,
                      std::optional<AgeProfile::Stamp> ownStamp) {
    std::sort(children_.begin(), children_.end(), [](const Child& a, const Child& b) {
        if (a.node.bytes != b.node.bytes) return a.node.bytes > b.node.bytes;
        return a.seq < b.seq;
    });
    root.children.reserve(children_.size() + 1);
    for (Child& child : children_) root.children.push_back(std::move(child.node));
    children_.clear();
    // The root's small files are as much to be seen as a folder's: without
    // their node a folder of photos would show its total and nothing in it.
    if (foldBytes_ >= 1) {
        StorageNode rest = remainderNode(root.id, foldItems_, foldBytes_, foldFiles_, 0);
        if (foldNewest_ != ScanTreeNode::noDate) rest.lastModified = foldNewest_;
        rest.ages = std::move(foldAges_);
        insertBySize(root.children, std::move(rest));
    }
    root.bytes = bytes_ + ownBytes;
    root.lastModified = std::max(newest_, ownDate);
    AgeProfile own;
    if (ownStamp) own.add(*ownStamp, ownBytes);
    root.ages = std::move(own);
}

}  // namespace korvane
