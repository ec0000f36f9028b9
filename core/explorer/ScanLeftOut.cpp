// What a folder scan's walk leaves out of its totals and says apart: the
// Trash, other file systems and files mounted inside, folders that may be
// listed but not entered.
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <utility>

#include "core/explorer/MountedFileSystem.h"
#include "core/explorer/Scan.h"
#include "core/system/Paths.h"

namespace korvane {

void Scan::measureTrash(ScanWorker& worker, int dirFd, const char* name, int depth) {
    UniqueFd fd(::openat(dirFd, name, DirectoryReader::childFlags));
    struct stat own {};
    if (!fd.valid() || fstat(fd.get(), &own) != 0) return;
    DirectoryReader& reader = worker.reader(depth);
    reader.reset(std::move(fd));
    leaveOutTrash(worker, depth, own);
    reader.reset();
}

void Scan::leaveOutTrash(ScanWorker& worker, int depth, const struct stat& own) {
    // Measured as du measures it alone: its files' other names are no concern here.
    auto links = std::make_unique<FastSizer::LinkSet>();
    worker.batch.trash += allocatedBytes(own) + worker.packageContents(depth, own.st_dev, 0, *links, cancelled_);
}

void Scan::leaveOutMount(ScanWorker& worker, ScanFolder* folder, int fd) {
    worker.batch.mounts.push_back(folder->path(rootPath_));
    if (!needsNode(folder->depth)) return;
    // A node of no size, so that the folder can be seen and opened on its own.
    ScanTreeNode node;
    node.name = folder->name;
    node.mount = MountedFileSystem::kindOf(fd);
    if (ScanFolder* parent = folder->parent) {
        std::lock_guard guard(parent->lock);
        parent->tally.addMount(folder->seq, std::move(node));
    } else {
        deliverTop(worker.stamper, folder->seq, std::move(node), 0, ScanTreeNode::noDate);
    }
}

bool Scan::leavesOutMountedFile(ScanWorker& worker, std::string_view folderPath, std::string_view name) {
    std::string path = Paths::join(folderPath, name);
    if (!isMountInside(path)) return false;
    // A file bound here (as containers bind /etc/hosts) shows another file:
    // it is named, and counted, listed and offered nowhere.
    worker.batch.mounts.push_back(std::move(path));
    return true;
}

void Scan::leaveOutUnenterable(ScanWorker& worker, ScanFolder* folder) {
    // Counted as it was opened, but it shows nothing: like a folder that may
    // not be read, it is left out but for its own blocks.
    worker.batch.unreadable += 1;
    worker.batch.folders -= 1;
    const std::int64_t bytes = folder->tally.totalBytes();
    const auto newest = folder->tally.newest();
    const std::optional<AgeProfile::Stamp> stamp =
        newest != ScanTreeNode::noDate ? std::optional(worker.stamper(newest)) : std::nullopt;
    if (ScanFolder* parent = folder->parent) {
        std::lock_guard guard(parent->lock);
        parent->tally.addOwn(bytes, newest, stamp);
    } else {
        deliverTop(worker.stamper, folder->seq, std::nullopt, bytes, newest, stamp);
    }
}

}  // namespace korvane
