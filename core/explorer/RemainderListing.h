#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/explorer/FileTreeScanner.h"
#include "core/model/StorageNode.h"

namespace korvane {

// What a folder's remainder node ("31 smaller items") sums, read again from
// the disk when it is opened: the folder's entries but those the tree shows
// already, every file a node of its own and every subfolder scanned as a
// folder scan scans it. The `maxChildren` largest are kept, largest first;
// the rest are summed into a remainder of their own, which opens the same
// way, so every file of a scanned folder can be reached.
struct RemainderListing {
    RemainderListing() = delete;

    // The remainder `id` of `folder`, holding its entries but those named in
    // `shown`, with their sizes, counts and ages as a scan gives them; its
    // own remainder's id is remainderID(id). Nothing when the folder cannot
    // be opened. `options` are those of the folder scan.
    static std::optional<StorageNode> read(const std::string& folder, std::unordered_set<std::string> shown,
                                           const std::string& id, FileTreeScanner::Options options = {});
    // The names shown beside the remainder at the end of `chain` (root down
    // to it): its folder's other children, and those of every remainder
    // opened on the way down from that folder.
    static std::unordered_set<std::string> shownBeside(const std::vector<const StorageNode*>& chain);
    // Puts `listing` in place of the remainder of its id in the result's
    // tree; the folders above it, and the result's counts, take its size and
    // counts (the disk's now). False when the tree holds no such remainder.
    static bool graft(FileTreeScanner::Result& result, StorageNode listing);
};

}  // namespace korvane
