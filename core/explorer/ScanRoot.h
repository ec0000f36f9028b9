#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "core/explorer/FolderTally.h"
#include "core/model/AgeProfile.h"
#include "core/model/StorageNode.h"

namespace korvane {

// The root of a scan: each top-level item's node and sums arrive as the
// worker that finished the item delivers them, in any order.
class ScanRoot {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    // `seq` is the item's place in the root's sorted listing; an item with
    // no node (a small file, a link, an unreadable folder) is summed, with
    // its age `stamp`, in the root's remainder, as a folder's are in its.
    // `isFile` tells a file from the other kinds.
    void deliver(std::uint32_t seq, StorageNode* node, std::int64_t bytes, TimePoint newest,
                 std::optional<AgeProfile::Stamp> stamp = std::nullopt, bool isFile = false);
    // Fills `root` once every worker is done: its children largest first,
    // ties in name order, with the remainder among them by its size; its
    // own blocks and date join the items'.
    void finish(StorageNode& root, std::int64_t ownBytes, TimePoint ownDate,
                std::optional<AgeProfile::Stamp> ownStamp = std::nullopt);

private:
    struct Child {
        std::uint32_t seq;
        StorageNode node;
    };

    std::mutex lock_;
    std::vector<Child> children_;
    std::int64_t bytes_ = 0;
    TimePoint newest_ = ScanTreeNode::noDate;
    // What the remainder sums.
    std::int64_t foldBytes_ = 0;
    std::int64_t foldItems_ = 0;
    std::int64_t foldFiles_ = 0;
    TimePoint foldNewest_ = ScanTreeNode::noDate;
    AgeProfile foldAges_;
};

}  // namespace korvane
