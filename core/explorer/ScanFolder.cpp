#include "core/explorer/ScanFolder.h"

#include <cstring>
#include <utility>

namespace korvane {

std::string ScanFolder::path(std::string_view root) const {
    std::string path;
    this->path(root, path);
    return path;
}

void ScanFolder::path(std::string_view root, std::string& into) const {
    // Sized once and filled from the end: every finished folder asks.
    while (!root.empty() && root.back() == '/') root.remove_suffix(1);
    std::size_t size = root.size();
    for (const ScanFolder* f = this; f; f = f->parent) size += 1 + f->name.size();
    into.resize(size);
    for (const ScanFolder* f = this; f; f = f->parent) {
        size -= f->name.size();
        std::memcpy(into.data() + size, f->name.data(), f->name.size());
        into[--size] = '/';
    }
    std::memcpy(into.data(), root.data(), root.size());
}

ScanFolder* FolderPool::take(ScanFolder* parent, int depth, std::uint32_t seq, std::uint32_t top,
                             dev_t device, std::string name) {
    ScanFolder* folder;
    if (free_.empty()) {
        folder = new ScanFolder(keep_);
    } else {
        folder = free_.back().release();
        free_.pop_back();
    }
    folder->parent = parent;
    folder->depth = depth;
    folder->seq = seq;
    folder->top = top;
    folder->device = device;
    folder->name = std::move(name);
    folder->pending.store(1, std::memory_order_relaxed);
    return folder;
}

void FolderPool::give(ScanFolder* folder) {
    std::unique_ptr<ScanFolder> owned(folder);
    if (free_.size() >= kept) return;
    // Its tally's room goes back to the heap: a waiting folder keeps none.
    folder->tally = FolderTally(keep_);
    std::string().swap(folder->name);
    free_.push_back(std::move(owned));
}

}  // namespace korvane
