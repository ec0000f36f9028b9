// The hand-up of a folder scan: a finished folder joins its parent's tally,
// a finished top-level item becomes StorageNodes and joins the root.
#include <utility>

#include "core/explorer/Scan.h"
#include "core/system/Paths.h"

namespace korvane {

using SystemClock = std::chrono::system_clock;

void Scan::release(ScanWorker& worker, ScanFolder* folder, std::string_view path) {
    while (folder) {
        if (folder->pending.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
        ScanFolder* parent = folder->parent;
        if (folder->tally.unenterable()) {
            leaveOutUnenterable(worker, folder);
            worker.folders.give(folder);
            folder = parent;
            path = {};
            continue;
        }
        const std::uint32_t seq = folder->seq;
        const std::int64_t bytes = folder->tally.totalBytes();
        const FileKind kind = folder->tally.dominant();
        const SystemClock::time_point newest = folder->tally.newest();
        const SystemClock::time_point held = folder->tally.heldNewest();
        const std::int64_t files = folder->tally.files(), folders = folder->tally.folders();
        // Folders large enough for the index enter it, so search finds them.
        if (bytes >= options_.indexThreshold)
            entries_->recordFolder(worker.batch.index, folder->top,
                                   path.empty() ? folder->path(rootPath_) : std::string(path), bytes, newest,
                                   folder->device, folder->inode);
        std::optional<ScanTreeNode> node;
        AgeTally ages;
        if (needsNode(folder->depth))
            node = folder->tally.finish(std::move(folder->name), &worker.stamper);
        else
            ages = folder->tally.takeAges();
        worker.folders.give(folder);
        if (parent) {
            std::lock_guard guard(parent->lock);
            parent->tally.addFolder(seq, kind, bytes, node ? &*node : nullptr, newest, std::move(ages), files,
                                    folders, held);
        } else {
            deliverTop(worker.stamper, seq, std::move(node), bytes, newest);
        }
        // The finished folder held one token of its parent.
        folder = parent;
        path = {};
    }
}

void Scan::drop(ScanWorker& worker, ScanFolder* folder) {
    ScanFolder* parent = folder->parent;
    worker.folders.give(folder);
    release(worker, parent);
}

void Scan::deliverTop(AgeStamper& stamper, std::uint32_t seq, std::optional<ScanTreeNode> node,
                      std::int64_t bytes, SystemClock::time_point newest,
                      std::optional<AgeProfile::Stamp> age, std::string_view file) {
    // A finished top-level item becomes StorageNodes on the worker that
    // finished it, while the others still walk.
    std::optional<StorageNode> converted;
    if (node) {
        // Whoever cancelled throws the result away: an item that ends after
        // the cancel keeps only its own node, so the scan returns at once.
        if (cancelled() && node->isFolder) {
            // Its bytes are all its own now, and so are their ages.
            AgeTally ages;
            node->collectAges(ages);
            std::vector<ScanTreeNode>().swap(node->children);
            node->foldBytes = 0;
            node->foldAges = AgeProfile();
            node->ownAges = ages.take();
        }
        std::string path = Paths::join(rootPath_, node->name);
        converted = std::move(*node).toStorageNode(
            std::move(path), [&](SystemClock::time_point time) { return stamper(time); });
    }
    root_.deliver(seq, converted ? &*converted : nullptr, bytes, newest, age, file);
}

}  // namespace korvane
