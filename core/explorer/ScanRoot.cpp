#include "core/explorer/ScanRoot.h"

#include <algorithm>
#include <utility>

#include "core/model/FileKind.h"
#include "core/system/Paths.h"

namespace korvane {

void ScanRoot::deliver(std::uint32_t seq, StorageNode* node, std::int64_t bytes, TimePoint newest,
                       std::optional<AgeProfile::Stamp> stamp, std::string_view file) {
    std::lock_guard guard(lock_);
    bytes_ += bytes;
    newest_ = std::max(newest_, newest);
    if (node) {
        children_.push_back({seq, std::move(*node)});
        return;
    }
    if (file.empty()) {
        ownBytes_ += bytes;
        if (stamp) ownAges_.add(*stamp, bytes);
        return;
    }
    foldBytes_ += bytes;
    foldFiles_ += 1;
    foldName_ = std::string(file);
    foldSeq_ = seq;
    foldNewest_ = std::max(foldNewest_, newest);
    if (stamp) foldAges_.add(*stamp, bytes, 1);
}

void ScanRoot::finish(StorageNode& root, std::int64_t ownBytes, TimePoint ownDate,
                      std::optional<AgeProfile::Stamp> ownStamp) {
    // "1 smaller item" would hide a name that fits where it stands.
    if (foldFiles_ == 1) {
        StorageNode file;
        file.id = Paths::join(root.id, foldName_);
        file.name = std::move(foldName_);
        file.path = file.id;
        file.bytes = foldBytes_;
        file.kind = StorageNode::Kind::item;
        file.fileKind = classifyFileKind(file.name, false);
        if (foldNewest_ != ScanTreeNode::noDate) file.lastModified = foldNewest_;
        children_.push_back({foldSeq_, std::move(file)});
        foldBytes_ = 0;
    }
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
        StorageNode rest = remainderNode(root.id, foldFiles_, foldBytes_, foldFiles_, 0);
        if (foldNewest_ != ScanTreeNode::noDate) rest.lastModified = foldNewest_;
        rest.ages = std::move(foldAges_);
        insertBySize(root.children, std::move(rest));
    }
    root.bytes = bytes_ + ownBytes;
    root.lastModified = std::max(newest_, ownDate);
    AgeProfile own = std::move(ownAges_);
    if (ownStamp) own.add(*ownStamp, ownBytes);
    root.ages = std::move(own);
}

}  // namespace korvane
