#include "core/explorer/ScanRoot.h"

#include <algorithm>
#include <utility>

namespace korvane {

void ScanRoot::deliver(std::uint32_t seq, StorageNode* node, std::int64_t bytes, TimePoint newest,
                       std::optional<AgeProfile::Stamp> stamp) {
    std::lock_guard guard(lock_);
    bytes_ += bytes;
    newest_ = std::max(newest_, newest);
    if (node) children_.push_back({seq, std::move(*node)});
    else if (stamp)
        ownAges_.add(*stamp, bytes);
}

void ScanRoot::finish(StorageNode& root, std::int64_t ownBytes, TimePoint ownDate,
                      std::optional<AgeProfile::Stamp> ownStamp) {
    std::sort(children_.begin(), children_.end(), [](const Child& a, const Child& b) {
        if (a.node.bytes != b.node.bytes) return a.node.bytes > b.node.bytes;
        return a.seq < b.seq;
    });
    root.children.reserve(children_.size());
    for (Child& child : children_) root.children.push_back(std::move(child.node));
    children_.clear();
    root.bytes = bytes_ + ownBytes;
    root.lastModified = std::max(newest_, ownDate);
    if (ownStamp) ownAges_.add(*ownStamp, ownBytes);
    root.ages = std::move(ownAges_);
}

}  // namespace korvane
