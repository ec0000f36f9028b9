#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/explorer/FolderTally.h"

namespace korvane {

// One folder being walked. It stays alive until its own listing and every
// subfolder it started (inline or on another worker) are done; whoever
// finishes last hands its result to the parent.
struct ScanFolder {
    explicit ScanFolder(std::size_t keep) : tally(keep) {}

    ScanFolder* parent = nullptr;  // none for a top-level item: it reports to the root
    int depth = 0;
    std::uint32_t seq = 0;
    std::uint32_t top = 0;  // the top-level item this folder lies in
    dev_t device = 0;       // the parent's device until opened
    ino_t inode = 0;        // once opened
    std::string name;
    std::atomic<int> pending{1};
    std::mutex lock;
    FolderTally tally;  // under `lock`

    // The folder's full path below `root`.
    std::string path(std::string_view root) const;
    // The same, written over `into`, whose room it reuses.
    void path(std::string_view root, std::string& into) const;
};

// Hands out the folders one worker starts. A finished folder, which no one
// refers to any more (its parent is read before it is given back), goes back
// to the pool of the worker that finished it, which hands it out again; past
// a few the pool lets it go, as folders drift to the workers that finish
// more than they start.
class FolderPool {
public:
    static constexpr std::size_t kept = 8;

    explicit FolderPool(std::size_t keep) : keep_(keep) {}
    FolderPool(const FolderPool&) = delete;
    FolderPool& operator=(const FolderPool&) = delete;

    // A fresh folder holding one token (its own listing).
    ScanFolder* take(ScanFolder* parent, int depth, std::uint32_t seq, std::uint32_t top, dev_t device,
                     std::string name);
    // `folder` is finished and no one refers to it any more.
    void give(ScanFolder* folder);

private:
    std::size_t keep_;
    std::vector<std::unique_ptr<ScanFolder>> free_;
};

}  // namespace korvane
