#include "core/explorer/FileTreeScanner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "core/explorer/ListingShare.h"
#include "core/explorer/ScanEntries.h"
#include "core/explorer/ScanProgress.h"
#include "core/explorer/ScanQueue.h"
#include "core/explorer/ScanRoot.h"
#include "core/explorer/ScanWorker.h"
#include "core/model/FileKind.h"
#include "core/system/DirectoryReader.h"
#include "core/system/FastSizer.h"
#include "core/system/LocalDays.h"
#include "core/system/ParallelWork.h"
#include "core/system/Paths.h"
#include "core/system/PseudoFileSystems.h"
#include "core/system/TrashFolders.h"
#include "core/system/UniqueFd.h"

namespace korvane {

namespace {

using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;

std::int64_t allocatedBytes(const struct stat& st) { return static_cast<std::int64_t>(st.st_blocks) * 512; }

// Whether a folder that would not open is left out of the totals: one that
// went, or turned into something else, since it was listed is simply not there.
bool isLeftOut(int error) { return error != ENOENT && error != ENOTDIR && error != ELOOP; }

SystemClock::time_point wholeSeconds(const struct stat& st) {
    return SystemClock::time_point(std::chrono::seconds(st.st_mtim.tv_sec));
}

ScanTreeNode fileNode(std::string_view name, std::int64_t bytes, const struct stat& st, bool isDirectory,
                      AgeProfile::Stamp stamp) {
    ScanTreeNode node;
    node.name = std::string(name);
    node.bytes = bytes;
    node.modified = wholeSeconds(st);
    node.stamp = stamp;
    node.kind = classifyFileKind(name, isDirectory);
    return node;
}

// A folder waiting for a worker: a top-level item (opened by name from the
// root), a subfolder handed over already open, or a share of a folder's
// listing that another worker is reading.
struct Job {
    ScanFolder* folder = nullptr;  // none: the root's own files
    UniqueFd fd;
    ListingShare share;
    std::uint32_t first = 0;  // the share's first entry's position in the listing
};

class Scan {
public:
    Scan(const FileTreeScanner::Options& options, const Flag& cancelled,
         const FileTreeScanner::ProgressHandler& progress)
        : options_(options),
          cancelled_(cancelled),
          keep_(static_cast<std::size_t>(std::max(options_.maxChildren, 0))),
          progress_(progress, options.progressInterval) {}

    FileTreeScanner::Result run(const std::string& rootPath);

private:
    struct RootEntry {
        std::string name;
        unsigned char type;
    };

    bool cancelled() const { return cancelled_.value(); }
    bool needsNode(int depth) const { return depth == 1 || depth - 1 <= options_.treeDepth; }
    bool keepsChildren(int depth) const { return depth <= options_.treeDepth; }
    // A folded item's name, where its folder gets a node that may show it.
    std::string_view foldedName(int depth, std::string_view name) const {
        return needsNode(depth) ? name : std::string_view();
    }

    bool openRoot(struct stat& rootStat);
    void listRoot();
    void startWorkers();
    void collectEntries(FileTreeScanner::Result& result);

    void runJob(ScanWorker& worker, Job& job);
    void walk(ScanWorker& worker, ScanFolder* folder, UniqueFd fd);
    void entry(ScanWorker& worker, ScanFolder* folder, FolderTally& local, int dirFd, std::string_view name,
               unsigned char type, std::uint32_t position);
    void offerShares(ScanFolder* folder, DirectoryReader& reader, std::uint32_t& seq);
    void walkShare(ScanWorker& worker, ScanFolder* folder, Job& job);
    void finishPart(ScanWorker& worker, ScanFolder* folder, FolderTally&& local);
    void rootFiles(ScanWorker& worker);
    void subfolder(ScanWorker& worker, ScanFolder* parent, FolderTally& local, int dirFd, const char* name,
                   std::uint32_t seq);
    void package(ScanWorker& worker, ScanFolder* folder, FolderTally& local, int dirFd, const char* name,
                 std::uint32_t seq, const struct stat& st);

    void release(ScanWorker& worker, ScanFolder* folder);
    void drop(ScanWorker& worker, ScanFolder* folder);
    void deliverTop(AgeStamper& stamper, std::uint32_t seq, std::optional<ScanTreeNode> node,
                    std::int64_t bytes, SystemClock::time_point newest,
                    std::optional<AgeProfile::Stamp> age = std::nullopt);

    const FileTreeScanner::Options& options_;
    const Flag& cancelled_;
    std::size_t keep_;
    ScanProgress progress_;

    std::string rootPath_;
    AgeProfile::Moment reference_;
    UniqueFd rootFd_;
    dev_t rootDevice_ = 0;
    std::vector<RootEntry> rootEntries_;
    std::vector<std::uint32_t> rootFileSeqs_;

    std::vector<std::unique_ptr<ScanWorker>> workers_;
    std::unique_ptr<ScanQueue<Job>> queue_;
    FastSizer::LinkSet links_;
    std::unique_ptr<ScanEntries> entries_;
    // Never listed, walked, counted or recorded.
    const TrashFolders trash_;

    ScanRoot root_;
};

FileTreeScanner::Result Scan::run(const std::string& rootPath) {
    FileTreeScanner::Result result;
    rootPath_ = rootPath;
    const LocalDays::Moment now = LocalDays::moment(options_.now.value_or(SystemClock::now()));
    reference_ = {now.day, now.millisecond};

    StorageNode& root = result.root;
    root.id = rootPath_;
    root.name = Paths::abbreviatingHome(rootPath_);
    root.kind = StorageNode::Kind::root;
    root.path = rootPath_;

    struct stat rootStat {};
    if (!openRoot(rootStat)) return result;
    listRoot();
    startWorkers();
    if (!queue_->empty())
        ParallelWork::run(static_cast<int>(workers_.size()), [this](int slot) {
            ScanWorker& worker = *workers_[static_cast<std::size_t>(slot)];
            queue_->work([&](Job& job) { runJob(worker, job); }, [&] { worker.rest(); });
            worker.publish();
        });
    rootFd_.reset();
    AgeStamper stamper(reference_);
    root_.finish(root, allocatedBytes(rootStat), wholeSeconds(rootStat), stamper(rootStat));
    if (root.lastModified) root.ages.elide(stamper(*root.lastModified));
    collectEntries(result);
    root.fileCount = storedCount(result.fileCount);
    root.folderCount = storedCount(result.folderCount);
    return result;
}

bool Scan::openRoot(struct stat& rootStat) {
    // The root is the folder the user picked: a link to it is followed.
    rootFd_ = DirectoryReader::openFolder(rootPath_, true);
    if (!rootFd_.valid()) return false;
    if (fstat(rootFd_.get(), &rootStat) != 0 || isPseudoFileSystem(rootFd_.get())) return false;
    rootDevice_ = rootStat.st_dev;
    return true;
}

// Names sorted, so slots follow name order.
void Scan::listRoot() {
    {
        DirectoryReader listing(UniqueFd(::openat(rootFd_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
        DirectoryReader::Entry entry;
        while (listing.next(entry))
            if (!isSkippedName(entry.name)) rootEntries_.push_back({entry.name, entry.type});
    }
    std::sort(rootEntries_.begin(), rootEntries_.end(),
              [](const RootEntry& a, const RootEntry& b) { return a.name < b.name; });
    entries_ = std::make_unique<ScanEntries>(options_, rootEntries_.size());
}

// Seeds the queue with the root's files and its top-level folders.
void Scan::startWorkers() {
    // Every worker helps with every folder (idle workers find handed-over
    // subfolders), so the count does not depend on the number of items.
    int workerCount =
        options_.workerCount > 0 ? options_.workerCount : FileTreeScanner::activeProcessorCount();
    for (int i = 0; i < workerCount; ++i) workers_.push_back(std::make_unique<ScanWorker>(keep_, reference_));
    FolderPool& pool = workers_.front()->folders;
    std::vector<Job> seeds;
    for (std::uint32_t i = 0; i < rootEntries_.size(); ++i) {
        unsigned char type = rootEntries_[i].type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(rootFd_.get(), rootEntries_[i].name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type == DT_DIR)
            seeds.push_back(
                Job{pool.take(nullptr, 1, i, i, rootDevice_, rootEntries_[i].name), UniqueFd(), {}, 0});
        else
            rootFileSeqs_.push_back(i);
    }
    if (seeds.empty()) workers_.resize(1);
    queue_ = std::make_unique<ScanQueue<Job>>(workers_.size() > 1 ? workers_.size() : 0);
    // The root's own files go first: they are quick and never handed over.
    if (!rootFileSeqs_.empty()) queue_->push(Job{}, false);
    for (Job& seed : seeds) queue_->push(std::move(seed), false);
}

void Scan::collectEntries(FileTreeScanner::Result& result) {
    result.index = entries_->takeIndex();
    for (auto& worker : workers_) {
        ScanBatch& batch = worker->batch;
        for (auto& entry : batch.largest) result.largest.push_back(std::move(entry));
        result.fileCount += batch.files;
        result.folderCount += batch.folders;
        result.unreadableFolders += batch.unreadable;
        result.tooDeepFolders += batch.tooDeep;
        batch = ScanBatch();
    }
    entries_->finishLargest(result.largest);
}

void Scan::runJob(ScanWorker& worker, Job& job) {
    if (!job.folder) {
        rootFiles(worker);
        return;
    }
    ScanFolder* folder = job.folder;
    if (!job.share.empty()) {
        worker.path = folder->path(rootPath_);
        walkShare(worker, folder, job);
        return;
    }
    if (cancelled() || folder->depth > options_.maxDepth) {
        drop(worker, folder);
        return;
    }
    UniqueFd fd = std::move(job.fd);
    if (!fd.valid() && trash_.isVolumeTrash(rootFd_.get(), folder->name.c_str())) {
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
    worker.path = folder->path(rootPath_);
    walk(worker, folder, std::move(fd));
}

void Scan::rootFiles(ScanWorker& worker) {
    for (std::uint32_t seq : rootFileSeqs_) {
        if (cancelled()) return;
        const std::string& name = rootEntries_[seq].name;
        struct stat st {};
        if (fstatat(rootFd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) continue;  // replaced since it was listed
        std::int64_t size = allocatedBytes(st);
        // A file linked twice from the root counts once, as everywhere else.
        if (st.st_nlink > 1 && !links_.claim(st)) continue;
        if (!S_ISREG(st.st_mode)) {
            // Links, sockets and devices get no node; their own blocks still count.
            deliverTop(worker.stamper, seq, std::nullopt, size, wholeSeconds(st), worker.stamper(st));
            continue;
        }
        worker.batch.files += 1;
        worker.batch.bytes += size;
        entries_->record(worker.batch.largest, seq, rootPath_, name, size, wholeSeconds(st), false);
        std::optional<ScanTreeNode> node;
        const AgeProfile::Stamp age = worker.stamper(st);
        if (size >= options_.fileNodeThreshold) node = fileNode(name, size, st, false, age);
        deliverTop(worker.stamper, seq, std::move(node), size, wholeSeconds(st), age);
    }
    worker.publish();
}

void Scan::walk(ScanWorker& worker, ScanFolder* folder, UniqueFd fd) {
    DirectoryReader& reader = worker.reader(folder->depth);
    reader.reset(std::move(fd));
    struct stat own {};
    if (cancelled() || fstat(reader.fd(), &own) != 0 ||
        reader.isPseudoFileSystemAt(own.st_dev, folder->device) ||
        trash_.isHomeTrash(own.st_dev, own.st_ino)) {
        reader.reset();
        drop(worker, folder);
        return;
    }
    folder->device = own.st_dev;
    worker.batch.folders += 1;
    progress_.report(worker, workers_);

    FolderTally local(keep_);
    local.addOwn(allocatedBytes(own), wholeSeconds(own), worker.stamper(own));
    std::uint32_t seq = 0;
    std::uint32_t sinceOffer = 0;

    DirectoryReader::Entry listed;
    while (reader.next(listed)) {
        if (cancelled()) break;
        if (isSkippedName(listed.name)) continue;
        entry(worker, folder, local, reader.fd(), {listed.name, listed.length}, listed.type, seq++);
        if (++sinceOffer == ListingShare::interval) {
            sinceOffer = 0;
            offerShares(folder, reader, seq);
        }
    }
    reader.reset();
    finishPart(worker, folder, std::move(local));
}

// One entry of `folder`'s listing, at `position` in it; `name` ends in a NUL.
void Scan::entry(ScanWorker& worker, ScanFolder* folder, FolderTally& local, int dirFd,
                 std::string_view nameView, unsigned char type, std::uint32_t position) {
    const char* name = nameView.data();
    if (type == DT_DIR && !FileTreeScanner::isPackageName(nameView)) {
        subfolder(worker, folder, local, dirFd, name, position);
        return;
    }
    struct stat st;  // filled by a call that succeeds
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        if (FileTreeScanner::isPackageName(nameView))
            package(worker, folder, local, dirFd, name, position, st);
        else
            subfolder(worker, folder, local, dirFd, name, position);
        return;
    }
    if (st.st_nlink > 1 && !links_.claim(st)) return;
    const std::int64_t size = allocatedBytes(st);
    if (!S_ISREG(st.st_mode)) {
        // Never followed, no node, no entry; only their own blocks count.
        local.addOwn(size, wholeSeconds(st), worker.stamper(st));
        return;
    }
    worker.batch.files += 1;
    worker.batch.bytes += size;
    if (size >= options_.indexThreshold || size >= options_.largeFileThreshold)
        entries_->record(worker.batch.largest, folder->top, worker.path, nameView, size, wholeSeconds(st),
                         false);
    if (keepsChildren(folder->depth) && size >= options_.fileNodeThreshold) {
        ScanTreeNode node = fileNode(nameView, size, st, false, worker.stamper(st));
        local.addItem(position, node.kind, size, &node);
    } else {
        local.addItem(position, classifyFileKind(nameView, false), size, nullptr, wholeSeconds(st),
                      worker.stamper(st), foldedName(folder->depth, nameView));
    }
}

// While workers wait, hands them the next entries of the listing, a share
// each, with a descriptor of the folder of their own.
void Scan::offerShares(ScanFolder* folder, DirectoryReader& reader, std::uint32_t& seq) {
    while (queue_->wantsMore() && !cancelled()) {
        UniqueFd fd(::fcntl(reader.fd(), F_DUPFD_CLOEXEC, 0));
        if (!fd.valid()) return;  // out of descriptors: the rest is read here
        Job job{folder, std::move(fd), {}, seq};
        const std::uint32_t count = job.share.fill(reader, isSkippedName);
        if (count == 0) return;
        seq += count;
        folder->pending.fetch_add(1, std::memory_order_relaxed);
        queue_->push(std::move(job), true);
    }
}

void Scan::walkShare(ScanWorker& worker, ScanFolder* folder, Job& job) {
    FolderTally local(keep_);
    std::uint32_t position = job.first;
    job.share.forEach([&](std::string_view name, unsigned char type) {
        if (cancelled()) return false;
        entry(worker, folder, local, job.fd.get(), name, type, position++);
        return true;
    });
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
    release(worker, folder);
}

void Scan::subfolder(ScanWorker& worker, ScanFolder* parent, FolderTally& local, int dirFd, const char* name,
                     std::uint32_t seq) {
    if (trash_.isVolumeTrash(dirFd, name)) return;
    const int depth = parent->depth + 1;
    if (depth > options_.maxDepth) {
        worker.batch.tooDeep += 1;
        return;
    }
    UniqueFd fd(::openat(dirFd, name, DirectoryReader::childFlags));
    if (!fd.valid()) {
        if (isLeftOut(errno)) worker.batch.unreadable += 1;
        // Unreadable: no node and no contents, but its own blocks are known
        // and count, as they do for du.
        struct stat st {};
        if (errno == EACCES && fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            local.addOwn(allocatedBytes(st), wholeSeconds(st), worker.stamper(st));
        return;
    }

    ScanFolder* folder = worker.folders.take(parent, depth, seq, parent->top, parent->device, name);
    parent->pending.fetch_add(1, std::memory_order_relaxed);

    // Near the root, and whenever the backlog of waiting folders runs short,
    // hand the folder over; otherwise read it here.
    if (parent->depth < options_.parallelDepth || queue_->wantsMore()) {
        queue_->push(Job{folder, std::move(fd), {}, 0}, true);
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
    if (inside.isOpen() && !inside.isPseudoFileSystemAt(st.st_dev, folder->device))
        bytes += worker.packageContents(readerDepth, st.st_dev, 0, links_, cancelled_);
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
    entries_->record(worker.batch.largest, folder->top, worker.path, nameView, bytes, wholeSeconds(st), true);
}

void Scan::release(ScanWorker& worker, ScanFolder* folder) {
    while (folder) {
        if (folder->pending.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
        ScanFolder* parent = folder->parent;
        const std::uint32_t seq = folder->seq;
        const std::int64_t bytes = folder->tally.totalBytes();
        const FileKind kind = folder->tally.dominant();
        const SystemClock::time_point newest = folder->tally.newest();
        const SystemClock::time_point held = folder->tally.heldNewest();
        const std::int64_t files = folder->tally.files(), folders = folder->tally.folders();
        std::optional<ScanTreeNode> node;
        AgeProfile ages;
        if (needsNode(folder->depth))
            node = folder->tally.finish(std::move(folder->name));
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
    }
}

void Scan::drop(ScanWorker& worker, ScanFolder* folder) {
    ScanFolder* parent = folder->parent;
    worker.folders.give(folder);
    release(worker, parent);
}

void Scan::deliverTop(AgeStamper& stamper, std::uint32_t seq, std::optional<ScanTreeNode> node,
                      std::int64_t bytes, SystemClock::time_point newest,
                      std::optional<AgeProfile::Stamp> age) {
    // A finished top-level item becomes StorageNodes on the worker that
    // finished it, while the others still walk.
    std::optional<StorageNode> converted;
    if (node) {
        // Whoever cancelled throws the result away: an item that ends after
        // the cancel keeps only its own node, so the scan returns at once.
        if (cancelled() && node->isFolder) {
            // Its bytes are all its own now, and so are their ages.
            AgeProfile ages;
            node->collectAges(ages);
            std::vector<ScanTreeNode>().swap(node->children);
            node->foldBytes = 0;
            node->foldAges = AgeProfile();
            node->ownAges = std::move(ages);
        }
        std::string path = Paths::join(rootPath_, node->name);
        converted = std::move(*node).toStorageNode(
            std::move(path), [&](SystemClock::time_point time) { return stamper(time); });
    }
    root_.deliver(seq, converted ? &*converted : nullptr, bytes, newest, age);
}

}  // namespace

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
