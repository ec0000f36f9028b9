#pragma once

#include "app/state/DiskChange.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

// How a folder scan follows a change on disk, as far as it can exactly.
struct FolderFollowsDisk {
    FolderFollowsDisk() = delete;

    struct Outcome {
        bool changed = false;
        // The tree, lists and counts hold what the disk holds. Otherwise the
        // folder is to be scanned again for the rest.
        bool exact = true;
    };

    // True when the change touches the scanned folder at all.
    static bool touches(const FileTreeScanner::Result& result, const DiskChange& change);

    // What left leaves the tree, the largest files and the index: a node of
    // its own leaves its folder, whose size and every folder's above it fall
    // by the node's; something without a node of its own lowers the remainder
    // of the deepest folder that holds it. Only a file with a node of its own
    // lowers the file count exactly. A file leaving that freed nothing (its
    // other name, which the scan did not count, holds its space now), a
    // folder leaving (its files and folders were not counted one by one),
    // something folded into a remainder, anything arriving, an item a
    // stopped removal emptied in part, a change to the Trash's records inside
    // the scanned folder or a removal by a command is not exact.
    static Outcome apply(FileTreeScanner::Result& result, const DiskChange& change);
};

}  // namespace korvane
