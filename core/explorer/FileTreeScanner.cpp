#include "core/explorer/FileTreeScanner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "core/explorer/Scan.h"
#include "core/model/FileKind.h"
#include "core/system/Paths.h"
#include "core/system/PseudoFileSystems.h"

namespace korvane {

namespace {

using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;

// Whether a folder that would not open is left out of the totals: one that
// went, or turned into something else, since it was listed is simply not there.
bool isLeftOut(int error) { return error != ENOENT && error != ENOTDIR && error != ELOOP; }

ScanTreeNode fileNode(std::string_view name, std::int64_t bytes, const struct stat& st, bool isDirectory,
                      AgeProfile::Stamp stamp) {
    ScanTreeNode node;
    node.name = std::string(name);
    node.bytes = bytes;
    node.modified = wholeSeconds(st);
    node.stamp = stamp;
    node.dated = true;
    node.kind = classifyFileKind(name, isDirectory);
    return node;
}

}  // namespace

// The walk: each job, each folder's listing and each of its entries.

void Scan::runJob(ScanWorker& worker, ScanJob& job) {
    if (!job.folder) {
        rootFiles(worker);
        return;
    }
    ScanFolder* folder = job.folder;
    if (!job.share.empty()) {
        folder->path(rootPath_, worker.path);
        walkShare(worker, folder, job);
        return;
    }
    if (cancelled() || folder->depth > options_.maxDepth) {
        drop(worker, folder);
        return;
    }
    UniqueFd fd = std::move(job.fd);
    if (!fd.valid() && trash_.isVolumeTrash(rootFd_.get(), folder->name.c_str())) {
        measureTrash(worker, rootFd_.get(), folder->name.c_str(), 1);
        drop(worker, folder);
        return;
    }
    if (!fd.valid()) fd.reset(::openat(rootFd_.get(), folder->name.c_str(), DirectoryReader::childFlags));
    if (!fd.valid()) {
        if (isLeftOut(errno)) worker.batch.unreadable += 1;
        struct stat st {};
        if (errno == EACCES && fstatat(rootFd_.get(), folder->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(st.st_mode))
            deliverTop(worker.stamper, folder->seq, std::nullopt, allocatedBytes(st), wholeSeconds(st),
                       worker.stamper(st));
        drop(worker, folder);
        return;
    }
    folder->path(rootPath_, worker.path);
    walk(worker, folder, std::move(fd));
}

void Scan::rootFiles(ScanWorker& worker) {
    const bool mounts = holdsMount(rootPath_);
    for (std::uint32_t seq : rootFileSeqs_) {
        if (cancelled()) return;
        const std::string& name = rootEntries_[seq].name;
        struct stat st {};
        if (fstatat(rootFd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) continue;  // replaced since it was listed
        if (mounts && leavesOutMountedFile(worker, rootPath_, name)) continue;
        std::int64_t size = allocatedBytes(st);
        // A file linked twice from the root counts once, as everywhere else.
        if (st.st_nlink > 1) {
            deferLinked(worker, rootPath_, nullptr, name, st);
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            // Links, sockets and devices get no node; their own blocks still count.
            deliverTop(worker.stamper, seq, std::nullopt, size, wholeSeconds(st), worker.stamper(st));
            continue;
        }
        worker.batch.files += 1;
        worker.batch.bytes += size;
        entries_->record(worker.batch.largest, worker.batch.index, seq, rootPath_, name, size, st, false);
        std::optional<ScanTreeNode> node;
        const AgeProfile::Stamp age = worker.stamper(st);
        if (options_.rootFilesAreNodes || size >= options_.fileNodeThreshold)
            node = fileNode(name, size, st, false, age);
        deliverTop(worker.stamper, seq, std::move(node), size, wholeSeconds(st), age, name);
    }
    worker.publish();
}

void Scan::walk(ScanWorker& worker, ScanFolder* folder, UniqueFd fd) {
    DirectoryReader& reader = worker.reader(folder->depth);
    reader.reset(std::move(fd));
    struct stat own {};
    bool walks = !cancelled() && fstat(reader.fd(), &own) == 0;
    if (walks && (own.st_dev != folder->device || isMountInside(worker.path))) {
        // The walk stays on its file system, as du -x does, and off folders
        // bound inside it, which du would count twice; kernel pseudo file
        // systems it never even names.
        if (!isPseudoFileSystem(reader.fd())) leaveOutMount(worker, folder, reader.fd());
        walks = false;
    } else if (walks && trash_.isHomeTrash(own.st_dev, own.st_ino)) {
        leaveOutTrash(worker, folder->depth, own);
        walks = false;
    }
    if (!walks) {
        reader.reset();
        drop(worker, folder);
        return;
    }
    folder->device = own.st_dev;
    folder->inode = own.st_ino;
    // A folder's links are its own two names and one in each subfolder (on
    // the usual file systems; others say 1): each subfolder will be a child.
    // No other worker knows the folder before its first subfolder is met.
    if (keepsChildren(folder->depth) && own.st_nlink > 2) folder->tally.expectChildren(own.st_nlink - 2);
    worker.batch.folders += 1;
    progress_.report(worker, workers_);

    FolderTally local(keep_);
    local.addOwn(allocatedBytes(own), wholeSeconds(own), worker.stamper(own), 1);
    std::uint32_t seq = 0;
    std::uint32_t sinceOffer = 0;
    PendingFiles& pending = worker.pending;
    // Read once: after each entry's stat call the caches are the kernel's,
    // and every object the loop reads again is a wait.
    const std::int64_t folds = foldsBelow(folder->depth);
    const bool mounts = holdsMount(worker.path);
    const Flag& cancelled = cancelled_;

    DirectoryReader::Entry listed;
    while (true) {
        if (!reader.nextBuffered(listed)) {
            // Reading on reuses the buffer the pending names lie in.
            countPending(worker, folder, local, pending);
            if (!reader.next(listed)) break;
        }
        if (cancelled.value()) break;
        if (isUnlistedName(listed.name)) continue;
        entry(worker, folder, local, pending, folds, mounts, reader.fd(), {listed.name, listed.length},
              listed.type, seq++);
        if (++sinceOffer == ListingShare::interval) {
            sinceOffer = 0;
            if (queue_->wantsMore()) {
                countPending(worker, folder, local, pending);
                offerShares(folder, reader, seq);
            }
        }
    }
    countPending(worker, folder, local, pending);
    reader.reset();
    finishPart(worker, folder, std::move(local));
}

void Scan::countPending(ScanWorker& worker, ScanFolder* folder, FolderTally& local, PendingFiles& pending) {
    if (pending.count == 0) return;
    std::size_t i = 0;
    std::int64_t bytes = 0;
    if (local.foldedCount() == 0 && needsNode(folder->depth)) {
        // The first file folded may turn out the only one, and keep its name.
        const PendingFiles::File& file = pending.files[0];
        const std::string_view name(file.name, file.length);
        bytes += file.bytes;
        local.addFolded(file.position, kinds_.kindOfFile(name), file.bytes,
                        FileDate::fromSeconds(file.modified), worker.stamper(file.modified), name);
        i = 1;
    }
    FolderTally::FoldedRun run;
    // The bytes of files of one age cell in a row, given the tally at once:
    // a run of at most 64 files that fold, whose sum cannot overflow. A file
    // of the seconds the cell was stamped for is of that cell, unasked.
    AgeProfile::Stamp cell{};
    std::int64_t cellBytes = 0;
    std::size_t cellStart = i;
    std::int64_t from = 0, until = 0;  // none yet: the first file asks
    // Kept apart from `run`, whose arrays hold it in memory.
    std::int64_t newest = run.newestSecond;
    const ExtensionTable& kinds = kinds_;
    const std::size_t count = pending.count;
    run.count = static_cast<std::int64_t>(count - i);
    for (; i < count; ++i) {
        const PendingFiles::File& file = pending.files[i];
        const auto kind = static_cast<std::size_t>(kinds.kindOfFile({file.name, file.length}));
        run.kindBytes[kind] += file.bytes;
        run.met[kind] = true;
        newest = std::max(newest, file.modified);
        if (file.modified < from || file.modified >= until) [[unlikely]] {
            const AgeProfile::Stamp stamp = worker.stamper(file.modified);
            worker.stamper.lastSpan(from, until);
            if (stamp != cell) {
                local.addFoldedAges(cell, cellBytes, static_cast<std::uint32_t>(i - cellStart));
                cell = stamp;
                cellBytes = 0;
                cellStart = i;
            }
        }
        cellBytes += file.bytes;
    }
    run.newestSecond = newest;
    local.addFoldedAges(cell, cellBytes, static_cast<std::uint32_t>(i - cellStart));
    local.addFoldedRun(run);
    worker.batch.files += static_cast<std::int64_t>(count);
    worker.batch.bytes += bytes + run.bytes();
    pending.count = 0;
}

// One entry of `folder`'s listing, at `position` in it; `name` ends in a NUL.
void Scan::entry(ScanWorker& worker, ScanFolder* folder, FolderTally& local, PendingFiles& pending,
                 std::int64_t folds, bool mounts, int dirFd, std::string_view nameView, unsigned char type,
                 std::uint32_t position) {
    const char* name = nameView.data();
    if (type == DT_DIR && !FileTreeScanner::isPackageName(nameView)) {
        countPending(worker, folder, local, pending);  // the subfolder's walk gathers its own
        subfolder(worker, folder, local, dirFd, name, position);
        return;
    }
    struct stat st;  // filled by a call that succeeds
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        // Listed but not to be looked at: the folder may not be entered.
        if (errno == EACCES) local.markUnenterable();
        return;
    }
    if (mounts && !S_ISDIR(st.st_mode) && leavesOutMountedFile(worker, worker.path, nameView)) return;
    const std::int64_t size = allocatedBytes(st);
    // Nearly every file: one link, too small for a node or either list, so
    // it only folds into the folder's remainder.
    if (S_ISREG(st.st_mode) && st.st_nlink == 1 && size < folds) {
        pending.files[pending.count++] = {name, static_cast<std::uint32_t>(nameView.size()), position, size,
                                          std::int64_t{st.st_mtim.tv_sec}};
        if (pending.count == PendingFiles::capacity) countPending(worker, folder, local, pending);
        return;
    }
    otherEntry(worker, folder, local, dirFd, nameView, position, st);
}

void Scan::deferLinked(ScanWorker& worker, std::string_view folderPath, FolderTally* local, std::string_view name,
                       const struct stat& st) {
    const FileKind kind = S_ISREG(st.st_mode) ? classifyFileKind(name, false) : FileKind::any;
    // Whichever name counts, the folder takes the colour of what it holds.
    if (local && S_ISREG(st.st_mode)) local->tallyKind(kind, allocatedBytes(st));
    worker.batch.linked.add(folderPath, name, st, kind);
}

// What entry() leaves: folders met without a type, packages, links, files
// with several links or large enough for a node or a list.
void Scan::otherEntry(ScanWorker& worker, ScanFolder* folder, FolderTally& local, int dirFd,
                      std::string_view nameView, std::uint32_t position, const struct stat& st) {
    const char* name = nameView.data();
    if (S_ISDIR(st.st_mode)) {
        countPending(worker, folder, local, worker.pending);  // the subfolder's walk gathers its own
        // A package where another file system is mounted is no package here.
        if (FileTreeScanner::isPackageName(nameView) && st.st_dev == folder->device &&
            (mountsInside_.empty() || !isMountInside(Paths::join(worker.path, nameView))))
            package(worker, folder, local, dirFd, name, position, st);
        else
            subfolder(worker, folder, local, dirFd, name, position);
        return;
    }
    if (st.st_nlink > 1) {
        deferLinked(worker, worker.path, &local, nameView, st);
        return;
    }
    const std::int64_t size = allocatedBytes(st);
    if (!S_ISREG(st.st_mode)) {
        // Never followed, no node, no entry; only their own blocks count.
        local.addOwn(size, wholeSeconds(st), worker.stamper(st));
        return;
    }
    worker.batch.files += 1;
    worker.batch.bytes += size;
    if (size >= options_.indexThreshold || size >= options_.largeFileThreshold)
        entries_->record(worker.batch.largest, worker.batch.index, folder->top, worker.path, nameView, size,
                         st, false);
    if (keepsChildren(folder->depth) && size >= options_.fileNodeThreshold) {
        ScanTreeNode node = fileNode(nameView, size, st, false, worker.stamper(st));
        local.addItem(position, node.kind, size, &node);
    } else {
        local.addFolded(position, classifyFileKind(nameView, false), size, wholeSeconds(st),
                        worker.stamper(st), foldedName(folder->depth, nameView));
    }
}

// While workers wait, hands them the next entries of the listing, a share
// each, with a descriptor of the folder of their own.
void Scan::offerShares(ScanFolder* folder, DirectoryReader& reader, std::uint32_t& seq) {
    while (queue_->wantsMore() && !cancelled()) {
        UniqueFd fd(::fcntl(reader.fd(), F_DUPFD_CLOEXEC, 0));
        if (!fd.valid()) return;  // out of descriptors: the rest is read here
        ScanJob job{folder, std::move(fd), {}, seq};
        const std::uint32_t count = job.share.fill(reader, isUnlistedName);
        if (count == 0) return;
        seq += count;
        folder->pending.fetch_add(1, std::memory_order_relaxed);
        queue_->push(std::move(job), true);
    }
}

void Scan::walkShare(ScanWorker& worker, ScanFolder* folder, ScanJob& job) {
    FolderTally local(keep_);
    PendingFiles& pending = worker.pending;
    std::uint32_t position = job.first;
    const std::int64_t folds = foldsBelow(folder->depth);
    const bool mounts = holdsMount(worker.path);
    job.share.forEach([&](std::string_view name, unsigned char type) {
        if (cancelled()) return false;
        entry(worker, folder, local, pending, folds, mounts, job.fd.get(), name, type, position++);
        return true;
    });
    countPending(worker, folder, local, pending);
    job.fd.reset();
    finishPart(worker, folder, std::move(local));
}

// A part of `folder` (its own listing or a share of it) is read: its tally
// joins the folder's, and the folder ends with its last part.
void Scan::finishPart(ScanWorker& worker, ScanFolder* folder, FolderTally&& local) {
    worker.publish();
    {
        std::lock_guard guard(folder->lock);
        folder->tally.merge(std::move(local));
    }
    // The worker's path is the folder's while it reads it.
    release(worker, folder, worker.path);
}

void Scan::subfolder(ScanWorker& worker, ScanFolder* parent, FolderTally& local, int dirFd, const char* name,
                     std::uint32_t seq) {
    const int depth = parent->depth + 1;
    if (trash_.isVolumeTrash(dirFd, name)) {
        measureTrash(worker, dirFd, name, depth);
        return;
    }
    if (depth > options_.maxDepth) {
        worker.batch.tooDeep += 1;
        return;
    }
    UniqueFd fd(::openat(dirFd, name, DirectoryReader::childFlags));
    if (!fd.valid()) {
        const int error = errno;
        // Unreadable: no node and no contents, but its own blocks are known
        // and count, as they do for du.
        struct stat st {};
        if (error == EACCES && fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // Not even its status: it is the folder being read that may not be entered.
            if (errno == EACCES) local.markUnenterable();
            return;
        }
        if (isLeftOut(error)) worker.batch.unreadable += 1;
        if (error == EACCES && S_ISDIR(st.st_mode))
            local.addOwn(allocatedBytes(st), wholeSeconds(st), worker.stamper(st));
        return;
    }

    ScanFolder* folder = worker.folders.take(parent, depth, seq, parent->top, parent->device, name);
    parent->pending.fetch_add(1, std::memory_order_relaxed);

    // Near the root, and whenever the backlog of waiting folders runs short,
    // hand the folder over; otherwise read it here.
    if (parent->depth < options_.parallelDepth || queue_->wantsMore()) {
        queue_->push(ScanJob{folder, std::move(fd), {}, 0}, true);
        return;
    }
    const std::size_t length = worker.path.size();
    if (worker.path.empty() || worker.path.back() != '/') worker.path += '/';
    worker.path += name;
    walk(worker, folder, std::move(fd));
    worker.path.resize(length);
}

void Scan::package(ScanWorker& worker, ScanFolder* folder, FolderTally& local, int dirFd, const char* name,
                   std::uint32_t seq, const struct stat& st) {
    // Measured whole: the package's own blocks and everything inside it.
    std::int64_t bytes = allocatedBytes(st);
    const int readerDepth = folder->depth + 1;
    DirectoryReader& inside = worker.reader(readerDepth);
    inside.reset(UniqueFd(::openat(dirFd, name, DirectoryReader::childFlags)));
    if (inside.isOpen()) bytes += worker.packageContents(readerDepth, st.st_dev, 0, links_, cancelled_);
    inside.reset();
    worker.batch.files += 1;
    worker.batch.bytes += bytes;

    const std::string_view nameView(name);
    // A package is one item, of its own date.
    if (keepsChildren(folder->depth)) {
        ScanTreeNode node = fileNode(nameView, bytes, st, true, worker.stamper(st));
        local.addItem(seq, FileKind::apps, bytes, &node);
    } else {
        local.addItem(seq, FileKind::apps, bytes, nullptr, wholeSeconds(st), worker.stamper(st),
                      foldedName(folder->depth, nameView));
    }
    entries_->record(worker.batch.largest, worker.batch.index, folder->top, worker.path, nameView, bytes, st,
                     true);
}

FileTreeScanner::FileTreeScanner() : options_() {}

FileTreeScanner::FileTreeScanner(Options options) : options_(options) {}

FileTreeScanner::Result FileTreeScanner::scan(const std::string& root, const ProgressHandler& progress) {
    const auto start = SteadyClock::now();
    cancelled_.setValue(false);
    std::string rootPath = Paths::standardise(root).value_or(std::string());
    Result result;
    if (rootPath.empty() || rootPath.front() != '/') {
        result.root.id = root;
        result.root.name = root;
        result.root.kind = StorageNode::Kind::root;
    } else {
        Scan scan(options_, cancelled_, progress);
        result = scan.run(rootPath);
    }
    result.duration = std::chrono::duration<double>(SteadyClock::now() - start).count();
    return result;
}

void FileTreeScanner::cancel() { cancelled_.setValue(true); }

bool FileTreeScanner::isCancelled() const { return cancelled_.value(); }

}  // namespace korvane
