#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
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

    // `seq` is the item's place in the root's sorted listing. An item with
    // no node is summed, with its age `stamp`: a file (named `file`) in the
    // root's remainder, as a folder's files are in its; anything else (a
    // link, a pipe, the blocks of a folder left out) in the root's own bytes.
    void deliver(std::uint32_t seq, StorageNode* node, std::int64_t bytes, TimePoint newest,
                 std::optional<AgeProfile::Stamp> stamp = std::nullopt, std::string_view file = {});
    // Fills `root` once every worker is done: its children largest first,
    // ties in name order, with the remainder among them by its size (or
    // the one small file it would sum, as itself); its own blocks and date
    // join the items'.
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
    std::int64_t foldFiles_ = 0;
    TimePoint foldNewest_ = ScanTreeNode::noDate;
    AgeProfile foldAges_;
    // A folded file, which stands for itself while it is the only one.
    std::string foldName_;
    std::uint32_t foldSeq_ = 0;
    // Bytes that are neither an item's nor folded, with their ages.
    std::int64_t ownBytes_ = 0;
    AgeProfile ownAges_;
};

}  // namespace korvane
