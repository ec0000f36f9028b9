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
    // no node (a small file, a link, an unreadable folder) still counts its
    // bytes, as the root's own, of age `stamp`.
    void deliver(std::uint32_t seq, StorageNode* node, std::int64_t bytes, TimePoint newest,
                 std::optional<AgeProfile::Stamp> stamp = std::nullopt);
    // Fills `root` once every worker is done: its children largest first,
    // ties in name order; its own blocks and date join the items'.
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
    AgeProfile ownAges_;
};

}  // namespace korvane
