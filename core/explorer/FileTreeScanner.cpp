#include "core/explorer/FileTreeScanner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "core/model/FileKind.h"
#include "core/text/ByteFormat.h"
#include "core/system/FastSizer.h"
#include "core/system/ParallelWork.h"
#include "core/system/Paths.h"
#include "core/system/PseudoFileSystems.h"

namespace korvane {

namespace {

using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;

constexpr int openFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t kindCount = 9;

// Deeper than this below a package, its folders are not read (like the sizer).
constexpr int packageDepthLimit = 63;

std::int64_t allocatedBytes(const struct stat& st) { return static_cast<std::int64_t>(st.st_blocks) * 512; }

SystemClock::time_point wholeSeconds(const struct stat& st) {
    return SystemClock::time_point(std::chrono::seconds(st.st_mtim.tv_sec));
}

std::string joinPath(const std::string& folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool isSkipped(const char* name) {
    // Every skipped name starts with a dot, which most names do not.
    return name[0] == '.' && FileTreeScanner::skippedNames().count(name) != 0;
}

// Bytes per file kind among one folder's direct contents. `present` tells a
// kind that was met with 0 bytes from one never met.
struct Tally {
    std::array<std::int64_t, kindCount> bytes{};
    std::array<bool, kindCount> present{};

    void add(FileKind kind, std::int64_t size) {
        auto i = static_cast<std::size_t>(kind);
        bytes[i] += size;
        present[i] = true;
    }
    void merge(const Tally& other) {
        for (std::size_t i = 0; i < kindCount; ++i) {
            bytes[i] += other.bytes[i];
            present[i] = present[i] || other.present[i];
        }
    }
    // The kind holding the most bytes; on a tie the earlier kind in
    // declaration order wins; nothing met gives folders.
    FileKind dominant() const {
        std::optional<FileKind> best;
        std::int64_t bestBytes = 0;
        for (FileKind kind : allFileKinds()) {
            auto i = static_cast<std::size_t>(kind);
            if (!present[i]) continue;
            if (!best || bytes[i] > bestBytes) {
                best = kind;
                bestBytes = bytes[i];
            }
        }
        return best.value_or(FileKind::folders);
    }
};

struct Child {
    std::uint32_t seq;  // position in the folder's listing: keeps equal sizes in listing order
    StorageNode node;
};

bool largerFirst(const Child& a, const Child& b) {
    if (a.node.bytes != b.node.bytes) return a.node.bytes > b.node.bytes;
    return a.seq < b.seq;
}

// What a folder has gathered: from its own listing, and from its subfolders.
struct Contents {
    Tally tally;
    std::vector<Child> children;
    std::int64_t folderBytes = 0;  // files, packages and subfolders
    std::int64_t foldBytes = 0;    // bytes without a node of their own
    std::int64_t foldCount = 0;    // files, packages and cut children behind foldBytes
    std::int64_t ownBytes = 0;     // the folder's own blocks and those of its links

    // Cuts children that can no longer be among the kept ones; their bytes
    // and number go to the remainder.
    void cutChildren(std::size_t keep) {
        if (children.size() <= keep) return;
        std::sort(children.begin(), children.end(), largerFirst);
        for (std::size_t i = keep; i < children.size(); ++i) {
            foldBytes += children[i].node.bytes;
            foldCount += 1;
        }
        children.erase(children.begin() + static_cast<std::ptrdiff_t>(keep), children.end());
    }
    // Lets a folder with many large files keep only a bounded list in memory.
    void trimIfLarge(std::size_t keep) {
        if (children.size() > 4 * keep + 64) cutChildren(keep);
    }
    void merge(Contents&& other, std::size_t keep) {
        tally.merge(other.tally);
        folderBytes += other.folderBytes;
        foldBytes += other.foldBytes;
        foldCount += other.foldCount;
        ownBytes += other.ownBytes;
        for (Child& child : other.children) children.push_back(std::move(child));
        trimIfLarge(keep);
    }
};

// The outcome of one folder, handed to its parent.
struct FolderResult {
    std::int64_t bytes = 0;
    FileKind kind = FileKind::folders;
    std::optional<StorageNode> node;
};

// One folder being walked. It stays alive until its own listing and every
// subfolder it started (inline or on another worker) are done; whoever
// finishes last builds its result and hands it to the parent.
struct Folder {
    Folder* parent = nullptr;  // none for a top-level item: it reports to the root
    int depth = 0;
    std::uint32_t seq = 0;
    std::uint32_t top = 0;  // the top-level item this folder lies in
    dev_t device = 0;       // the parent's device until opened
    std::string name;
    std::string path;  // kept when the folder gets a node or is handed to another worker
    std::atomic<int> pending{1};
    std::mutex lock;
    Contents contents;  // under `lock`
};

// A worker's own tallies and lists, merged once the scan ends; published
// counters let progress read them without a lock.
struct Batch {
    std::vector<FileTreeScanner::Entry> largest;
    std::vector<FileTreeScanner::Entry> index;
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::int64_t bytes = 0;
};

struct alignas(64) Worker {
    Batch batch;
    std::string path;  // the path of the folder being read
    std::atomic<std::int64_t> publishedFiles{0};
    std::atomic<std::int64_t> publishedBytes{0};

    void publish() {
        publishedFiles.store(batch.files, std::memory_order_relaxed);
        publishedBytes.store(batch.bytes, std::memory_order_relaxed);
    }
};

// Files with several hard links already counted in this scan. Sharded so
// that workers meeting many linked files rarely wait for one another.
class LinkSet {
public:
    bool claim(const struct stat& st) {
        FastSizer::InodeKey key{st.st_dev, st.st_ino};
        Shard& shard = shards_[FastSizer::InodeKeyHash{}(key) % shardCount];
        std::lock_guard guard(shard.lock);
        return shard.seen.insert(key).second;
    }

private:
    static constexpr std::size_t shardCount = 16;
    struct alignas(64) Shard {
        std::mutex lock;
        std::unordered_set<FastSizer::InodeKey, FastSizer::InodeKeyHash> seen;
    };
    std::array<Shard, shardCount> shards_;
};

// A folder waiting for a worker: a top-level item (opened by name from the
// root) or a subfolder handed over already open.
struct Job {
    Folder* folder = nullptr;  // none: the root's own files
    int fd = -1;
};

StorageNode fileNode(const std::string& path, std::string_view name, std::int64_t bytes,
                     SystemClock::time_point modified, bool isDirectory) {
    StorageNode node;
    node.id = path;
    node.name = std::string(name);
    node.bytes = bytes;
    node.kind = StorageNode::Kind::item;
    node.path = path;
    node.lastModified = modified;
    node.fileKind = classifyFileKind(name, isDirectory);
    return node;
}

class Scan {
public:
    Scan(const FileTreeScanner::Options& options, const Flag& cancelled,
         const FileTreeScanner::ProgressHandler& progress)
        : options_(options), cancelled_(cancelled), progress_(progress) {
        keep_ = static_cast<std::size_t>(std::max(options_.maxChildren, 0));
        interval_ = std::chrono::duration_cast<SteadyClock::duration>(
                        std::chrono::duration<double>(std::max(options_.progressInterval, 0.0)))
                        .count();
    }

    FileTreeScanner::Result run(const std::string& rootPath);

private:
    struct RootEntry {
        std::string name;
        unsigned char type;
    };

    bool cancelled() const { return cancelled_.value(); }
    bool needsNode(int depth) const { return depth == 1 || depth - 1 <= options_.treeDepth; }
    bool keepsChildren(int depth) const { return depth <= options_.treeDepth; }

    void work(int slot);
    void runJob(Worker& worker, Job job);
    void walk(Worker& worker, Folder* folder, int fd);
    void rootFiles(Worker& worker);
    void subfolder(Worker& worker, Folder* parent, Contents& local, int dirFd, const char* name,
                   std::uint32_t seq);
    void package(Worker& worker, Folder* folder, Contents& local, int dirFd, const char* name,
                 std::uint32_t seq, const struct stat& st);
    std::int64_t packageContents(int fd, dev_t device, int depth);
    void record(Worker& worker, std::uint32_t top, const std::string& path, std::string_view name,
                std::int64_t size, SystemClock::time_point modified, bool isDirectory);
    void reportProgress(Worker& worker);

    void push(Job job, bool front);
    void release(Folder* folder);
    void drop(Folder* folder);
    FolderResult finish(Folder& folder);
    void addSubfolder(Contents& contents, int depth, std::uint32_t seq, FolderResult&& result);
    void deliverTop(std::uint32_t seq, std::optional<StorageNode> node, std::int64_t bytes);

    const FileTreeScanner::Options& options_;
    const Flag& cancelled_;
    const FileTreeScanner::ProgressHandler& progress_;
    std::size_t keep_ = 45;
    SteadyClock::rep interval_ = 0;

    std::string rootPath_;
    int rootFd_ = -1;
    dev_t rootDevice_ = 0;
    std::vector<RootEntry> rootEntries_;
    std::vector<std::uint32_t> rootFileSeqs_;
    std::unique_ptr<std::atomic<int>[]> indexCounts_;  // per top-level item

    std::vector<std::unique_ptr<Worker>> workers_;
    LinkSet links_;
    std::atomic<std::int64_t> lastReport_{0};

    // Work queue.
    std::mutex queueLock_;
    std::condition_variable queueChanged_;
    std::deque<Job> queue_;
    int active_ = 0;
    std::atomic<int> waiting_{0};
    std::atomic<int> queued_{0};

    // Root slots.
    std::mutex rootLock_;
    std::vector<Child> rootChildren_;
    std::int64_t rootBytes_ = 0;
};

FileTreeScanner::Result Scan::run(const std::string& rootPath) {
    FileTreeScanner::Result result;
    rootPath_ = rootPath;
    lastReport_ = SteadyClock::now().time_since_epoch().count();

    StorageNode& root = result.root;
    root.id = rootPath_;
    root.name = Paths::abbreviatingHome(rootPath_);
    root.kind = StorageNode::Kind::root;
    root.path = rootPath_;

    // The root is the folder the user picked: a link to it is followed.
    rootFd_ = ::open(rootPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd_ < 0) return result;
    struct stat rootStat {};
    if (fstat(rootFd_, &rootStat) != 0 || isPseudoFileSystem(rootFd_)) {
        ::close(rootFd_);
        return result;
    }
    rootDevice_ = rootStat.st_dev;
    std::int64_t rootOwnBytes = allocatedBytes(rootStat);

    // List the root: names sorted, so slots follow name order.
    int listFd = ::openat(rootFd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* dir = listFd >= 0 ? fdopendir(listFd) : nullptr) {
        while (dirent* entry = readdir(dir)) {
            if (isDotOrDotDot(entry->d_name) || isSkipped(entry->d_name)) continue;
            rootEntries_.push_back({entry->d_name, entry->d_type});
        }
        closedir(dir);
    } else if (listFd >= 0) {
        ::close(listFd);
    }
    std::sort(rootEntries_.begin(), rootEntries_.end(),
              [](const RootEntry& a, const RootEntry& b) { return a.name < b.name; });

    const std::size_t itemCount = rootEntries_.size();
    indexCounts_ = std::make_unique<std::atomic<int>[]>(std::max<std::size_t>(itemCount, 1));
    bool hasFiles = false;
    for (std::uint32_t i = 0; i < itemCount; ++i) {
        unsigned char type = rootEntries_[i].type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(rootFd_, rootEntries_[i].name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type == DT_DIR) {
            auto* folder = new Folder;
            folder->depth = 1;
            folder->seq = i;
            folder->top = i;
            folder->device = rootDevice_;
            folder->name = rootEntries_[i].name;
            folder->path = joinPath(rootPath_, folder->name);
            queue_.push_back(Job{folder, -1});
        } else {
            rootFileSeqs_.push_back(i);
            hasFiles = true;
        }
    }
    // The root's own files go first: they are quick and never handed over.
    if (hasFiles) queue_.push_front(Job{nullptr, -1});
    queued_ = static_cast<int>(queue_.size());

    // Every worker helps with every folder (idle workers are handed
    // subfolders), so the count does not depend on the number of items.
    int workerCount =
        options_.workerCount > 0 ? options_.workerCount : FileTreeScanner::activeProcessorCount();
    if (queue_.size() == (hasFiles ? 1u : 0u)) workerCount = 1;
    for (int i = 0; i < workerCount; ++i) workers_.push_back(std::make_unique<Worker>());

    if (!queue_.empty()) ParallelWork::run(workerCount, [this](int slot) { work(slot); });
    ::close(rootFd_);

    // Root children: present slots in name order, then largest first.
    std::sort(rootChildren_.begin(), rootChildren_.end(), largerFirst);
    root.children.reserve(rootChildren_.size());
    for (Child& child : rootChildren_) root.children.push_back(std::move(child.node));
    root.bytes = rootBytes_ + rootOwnBytes;

    std::size_t indexSize = 0;
    for (auto& worker : workers_) indexSize += worker->batch.index.size();
    result.index.reserve(indexSize);
    for (auto& worker : workers_) {
        Batch& batch = worker->batch;
        for (auto& entry : batch.largest) result.largest.push_back(std::move(entry));
        for (auto& entry : batch.index) result.index.push_back(std::move(entry));
        result.fileCount += batch.files;
        result.folderCount += batch.folders;
        batch = Batch();
    }
    std::stable_sort(
        result.largest.begin(), result.largest.end(),
        [](const FileTreeScanner::Entry& a, const FileTreeScanner::Entry& b) { return a.size > b.size; });
    if (result.largest.size() > static_cast<std::size_t>(std::max(options_.largeFileLimit, 0)))
        result.largest.resize(static_cast<std::size_t>(std::max(options_.largeFileLimit, 0)));
    return result;
}

void Scan::push(Job job, bool front) {
    std::lock_guard guard(queueLock_);
    if (front)
        queue_.push_front(job);
    else
        queue_.push_back(job);
    queued_.store(static_cast<int>(queue_.size()), std::memory_order_relaxed);
    if (waiting_.load(std::memory_order_relaxed) > 0) queueChanged_.notify_one();
}

void Scan::work(int slot) {
    Worker& worker = *workers_[static_cast<std::size_t>(slot)];
    std::unique_lock guard(queueLock_);
    while (true) {
        if (!queue_.empty()) {
            Job job = queue_.front();
            queue_.pop_front();
            queued_.store(static_cast<int>(queue_.size()), std::memory_order_relaxed);
            ++active_;
            guard.unlock();
            try {
                runJob(worker, job);
            } catch (...) {
                // Out of memory: what this job held is lost, but the other
                // workers must still see it end, or they would wait forever.
            }
            guard.lock();
            --active_;
            if (active_ == 0 && queue_.empty()) queueChanged_.notify_all();
            continue;
        }
        // Nothing queued and nobody left who could queue more: done.
        if (active_ == 0) break;
        waiting_.fetch_add(1, std::memory_order_relaxed);
        queueChanged_.wait(guard);
        waiting_.fetch_sub(1, std::memory_order_relaxed);
    }
    guard.unlock();
    worker.publish();
}

void Scan::runJob(Worker& worker, Job job) {
    if (!job.folder) {
        rootFiles(worker);
        return;
    }
    Folder* folder = job.folder;
    if (cancelled() || folder->depth > options_.maxDepth) {
        if (job.fd >= 0) ::close(job.fd);
        drop(folder);
        return;
    }
    int fd = job.fd;
    if (fd < 0) fd = ::openat(rootFd_, folder->name.c_str(), openFolderFlags);
    if (fd < 0) {
        struct stat st {};
        if (errno == EACCES && fstatat(rootFd_, folder->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(st.st_mode))
            deliverTop(folder->seq, std::nullopt, allocatedBytes(st));
        drop(folder);
        return;
    }
    worker.path = folder->path;
    walk(worker, folder, fd);
}

void Scan::rootFiles(Worker& worker) {
    for (std::uint32_t seq : rootFileSeqs_) {
        if (cancelled()) return;
        const std::string& name = rootEntries_[seq].name;
        struct stat st {};
        if (fstatat(rootFd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) continue;  // replaced since it was listed
        std::int64_t size = allocatedBytes(st);
        // A file linked twice from the root counts once, as everywhere else.
        if (st.st_nlink > 1 && !links_.claim(st)) continue;
        if (!S_ISREG(st.st_mode)) {
            // Links, sockets and devices get no node; their own blocks still count.
            deliverTop(seq, std::nullopt, size);
            continue;
        }
        worker.batch.files += 1;
        worker.batch.bytes += size;
        std::string path = joinPath(rootPath_, name);
        record(worker, seq, path, name, size, wholeSeconds(st), false);
        std::optional<StorageNode> node;
        if (size >= options_.fileNodeThreshold) node = fileNode(path, name, size, wholeSeconds(st), false);
        deliverTop(seq, std::move(node), size);
    }
    worker.publish();
}

void Scan::walk(Worker& worker, Folder* folder, int fd) {
    struct stat own {};
    DIR* dir = nullptr;
    if (cancelled() || fstat(fd, &own) != 0 || (own.st_dev != folder->device && isPseudoFileSystem(fd)) ||
        !(dir = fdopendir(fd))) {
        ::close(fd);
        drop(folder);
        return;
    }
    folder->device = own.st_dev;
    worker.batch.folders += 1;
    reportProgress(worker);

    const int depth = folder->depth;
    const bool keeps = keepsChildren(depth);
    const int dirFd = dirfd(dir);
    Contents local;
    local.ownBytes = allocatedBytes(own);
    std::uint32_t seq = 0;

    while (dirent* entry = readdir(dir)) {
        if (cancelled()) break;
        const char* name = entry->d_name;
        if (isDotOrDotDot(name) || isSkipped(name)) continue;
        const std::uint32_t position = seq++;

        if (entry->d_type == DT_DIR && !FileTreeScanner::isPackageName(name)) {
            subfolder(worker, folder, local, dirFd, name, position);
            continue;
        }
        struct stat st {};
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (FileTreeScanner::isPackageName(name))
                package(worker, folder, local, dirFd, name, position, st);
            else
                subfolder(worker, folder, local, dirFd, name, position);
            continue;
        }
        if (st.st_nlink > 1 && !links_.claim(st)) continue;
        const std::int64_t size = allocatedBytes(st);
        if (!S_ISREG(st.st_mode)) {
            // Never followed, no node, no entry; only their own blocks count.
            local.ownBytes += size;
            continue;
        }
        local.folderBytes += size;
        worker.batch.files += 1;
        worker.batch.bytes += size;
        const std::string_view nameView(name);
        local.tally.add(classifyFileKind(nameView, false), size);

        const bool indexed = size >= options_.indexThreshold || size >= options_.largeFileThreshold;
        const bool node = keeps && size >= options_.fileNodeThreshold;
        if (indexed || node) {
            std::string path = joinPath(worker.path, nameView);
            if (indexed) record(worker, folder->top, path, nameView, size, wholeSeconds(st), false);
            if (node) {
                local.children.push_back({position, fileNode(path, nameView, size, wholeSeconds(st), false)});
                local.trimIfLarge(keep_);
                continue;
            }
        }
        local.foldBytes += size;
        local.foldCount += 1;
    }
    closedir(dir);
    worker.publish();
    {
        std::lock_guard guard(folder->lock);
        folder->contents.merge(std::move(local), keep_);
    }
    release(folder);
}

void Scan::subfolder(Worker& worker, Folder* parent, Contents& local, int dirFd, const char* name,
                     std::uint32_t seq) {
    const int depth = parent->depth + 1;
    if (depth > options_.maxDepth) return;
    int fd = ::openat(dirFd, name, openFolderFlags);
    if (fd < 0) {
        // Unreadable: no node and no contents, but its own blocks are known
        // and count, as they do for du.
        struct stat st {};
        if (errno == EACCES && fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            local.ownBytes += allocatedBytes(st);
        return;
    }

    auto* folder = new Folder;
    folder->parent = parent;
    folder->depth = depth;
    folder->seq = seq;
    folder->top = parent->top;
    folder->device = parent->device;
    parent->pending.fetch_add(1, std::memory_order_relaxed);

    // Hand the folder over when a worker is idle (or it lies near the root);
    // otherwise read it here, keeping its path only when a node needs it.
    const bool handOver = parent->depth < options_.parallelDepth ||
                          waiting_.load(std::memory_order_relaxed) > queued_.load(std::memory_order_relaxed);
    if (handOver || needsNode(depth)) {
        folder->name = name;
        folder->path = joinPath(worker.path, folder->name);
    }
    if (handOver) {
        push(Job{folder, fd}, true);
        return;
    }
    const std::size_t length = worker.path.size();
    if (worker.path.empty() || worker.path.back() != '/') worker.path += '/';
    worker.path += name;
    walk(worker, folder, fd);
    worker.path.resize(length);
}

void Scan::package(Worker& worker, Folder* folder, Contents& local, int dirFd, const char* name,
                   std::uint32_t seq, const struct stat& st) {
    // Measured whole: the package's own blocks and everything inside it.
    std::int64_t bytes = allocatedBytes(st);
    int fd = ::openat(dirFd, name, openFolderFlags);
    if (fd >= 0) {
        if (st.st_dev != folder->device && isPseudoFileSystem(fd))
            ::close(fd);
        else
            bytes += packageContents(fd, st.st_dev, 0);
    }
    local.folderBytes += bytes;
    worker.batch.files += 1;
    worker.batch.bytes += bytes;
    local.tally.add(FileKind::apps, bytes);

    const std::string_view nameView(name);
    std::string path = joinPath(worker.path, nameView);
    if (keepsChildren(folder->depth)) {
        local.children.push_back({seq, fileNode(path, nameView, bytes, wholeSeconds(st), true)});
        local.trimIfLarge(keep_);
    } else {
        local.foldBytes += bytes;
        local.foldCount += 1;
    }
    record(worker, folder->top, path, nameView, bytes, wholeSeconds(st), true);
}

std::int64_t Scan::packageContents(int fd, dev_t device, int depth) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return 0;
    }
    std::int64_t total = 0;
    const int dirFd = dirfd(dir);
    while (dirent* entry = readdir(dir)) {
        if (cancelled()) break;
        const char* name = entry->d_name;
        if (isDotOrDotDot(name) || isSkipped(name)) continue;
        struct stat st {};
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            total += allocatedBytes(st);
            if (depth + 1 > packageDepthLimit) continue;
            int child = ::openat(dirFd, name, openFolderFlags);
            if (child < 0) continue;
            if (st.st_dev != device && isPseudoFileSystem(child)) {
                ::close(child);
                continue;
            }
            total += packageContents(child, st.st_dev, depth + 1);
            continue;
        }
        if (st.st_nlink > 1 && !links_.claim(st)) continue;
        total += allocatedBytes(st);
    }
    closedir(dir);
    return total;
}

void Scan::record(Worker& worker, std::uint32_t top, const std::string& path, std::string_view name,
                  std::int64_t size, SystemClock::time_point modified, bool isDirectory) {
    const bool toIndex = size >= options_.indexThreshold;
    // Framework and bundle packages go to the index only.
    const bool toLargest =
        size >= options_.largeFileThreshold && (!isDirectory || (name.size() > 4 && name.ends_with(".app")));
    if (!toIndex && !toLargest) return;
    auto entry = FileTreeScanner::Entry::make(std::string(name), path, size, modified, isDirectory);
    if (toIndex && indexCounts_[top].fetch_add(1, std::memory_order_relaxed) < options_.indexLimit) {
        if (toLargest)
            worker.batch.index.push_back(entry);
        else
            worker.batch.index.push_back(std::move(entry));
    }
    if (!toLargest) return;
    auto& largest = worker.batch.largest;
    const auto limit = static_cast<std::size_t>(std::max(options_.largeFileLimit, 0));
    const bool trim = largest.size() >= 3 * limit;
    largest.push_back(std::move(entry));
    if (trim) {
        std::stable_sort(
            largest.begin(), largest.end(),
            [](const FileTreeScanner::Entry& a, const FileTreeScanner::Entry& b) { return a.size > b.size; });
        largest.resize(limit);
    }
}

void Scan::reportProgress(Worker& worker) {
    if (!progress_) return;
    const std::int64_t now = SteadyClock::now().time_since_epoch().count();
    std::int64_t last = lastReport_.load(std::memory_order_relaxed);
    if (interval_ > 0 && now - last <= interval_) return;
    if (!lastReport_.compare_exchange_strong(last, now, std::memory_order_relaxed)) return;
    worker.publish();
    FileTreeScanner::Progress progress;
    for (auto& other : workers_) {
        progress.scanned += other->publishedFiles.load(std::memory_order_relaxed);
        progress.bytes += other->publishedBytes.load(std::memory_order_relaxed);
    }
    progress.current = worker.path;
    // The handler runs in the middle of a walk: a failure of its own must not
    // abandon the folders this worker has open, which would lose their bytes.
    try {
        progress_(progress);
    } catch (...) {
    }
}

void Scan::release(Folder* folder) {
    while (folder) {
        if (folder->pending.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
        FolderResult result = finish(*folder);
        Folder* parent = folder->parent;
        const std::uint32_t seq = folder->seq;
        if (parent) {
            std::lock_guard guard(parent->lock);
            addSubfolder(parent->contents, parent->depth, seq, std::move(result));
        } else {
            deliverTop(seq, std::move(result.node), result.bytes);
        }
        delete folder;
        // The finished folder held one token of its parent.
        folder = parent;
    }
}

void Scan::drop(Folder* folder) {
    Folder* parent = folder->parent;
    delete folder;
    release(parent);
}

void Scan::addSubfolder(Contents& contents, int depth, std::uint32_t seq, FolderResult&& result) {
    contents.folderBytes += result.bytes;
    contents.tally.add(result.kind, result.bytes);
    if (keepsChildren(depth) && result.node) {
        contents.children.push_back({seq, std::move(*result.node)});
        contents.trimIfLarge(keep_);
    } else {
        contents.foldBytes += result.bytes;
    }
}

FolderResult Scan::finish(Folder& folder) {
    Contents& contents = folder.contents;
    contents.cutChildren(keep_);
    std::sort(contents.children.begin(), contents.children.end(), largerFirst);

    FolderResult result;
    result.bytes = contents.folderBytes + contents.ownBytes;
    result.kind = contents.tally.dominant();
    if (!needsNode(folder.depth)) return result;

    StorageNode node;
    node.id = folder.path;
    node.name = folder.name.empty() ? Paths::lastComponent(folder.path) : folder.name;
    node.bytes = result.bytes;
    node.kind = StorageNode::Kind::group;
    node.path = folder.path;
    node.fileKind = result.kind;
    node.children.reserve(contents.children.size() + (contents.foldBytes >= 1 ? 1 : 0));
    for (Child& child : contents.children) node.children.push_back(std::move(child.node));
    contents.children.clear();

    if (contents.foldBytes >= 1) {
        StorageNode rest;
        rest.id = FileTreeScanner::remainderID(folder.path);
        const std::string count = ByteFormat::groupedInteger(contents.foldCount);
        rest.name = contents.foldCount >= 1 ? count + " smaller items" : "Everything else";
        rest.bytes = contents.foldBytes;
        rest.kind = StorageNode::Kind::item;
        rest.details["Items"] = count;
        // After kept children of equal size.
        auto at = std::upper_bound(
            node.children.begin(), node.children.end(), rest.bytes,
            [](std::int64_t bytes, const StorageNode& child) { return bytes > child.bytes; });
        node.children.insert(at, std::move(rest));
    }
    result.node = std::move(node);
    return result;
}

void Scan::deliverTop(std::uint32_t seq, std::optional<StorageNode> node, std::int64_t bytes) {
    std::lock_guard guard(rootLock_);
    rootBytes_ += bytes;
    if (node) rootChildren_.push_back({seq, std::move(*node)});
}

}  // namespace

FileTreeScanner::Entry FileTreeScanner::Entry::make(std::string name, std::string path, std::int64_t size,
                                                    std::chrono::system_clock::time_point modified,
                                                    bool isDirectory) {
    Entry entry;
    entry.id = static_cast<std::uint64_t>(std::hash<std::string>{}(path));
    entry.name = std::move(name);
    entry.path = std::move(path);
    entry.size = size;
    entry.modified = modified;
    entry.isDirectory = isDirectory;
    return entry;
}

std::string FileTreeScanner::Entry::parentPath() const { return Paths::parent(path); }

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

const std::unordered_set<std::string>& FileTreeScanner::skippedNames() {
    static const std::unordered_set<std::string> names = {
        ".Trash", ".Spotlight-V100", ".fseventsd", ".DocumentRevisions-V100", ".TemporaryItems", ".DS_Store",
    };
    return names;
}

bool FileTreeScanner::isPackageName(std::string_view name) {
    return name.ends_with(".app") || name.ends_with(".framework") || name.ends_with(".bundle");
}

int FileTreeScanner::activeProcessorCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        int count = CPU_COUNT(&set);
        if (count > 0) return count;
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::string FileTreeScanner::remainderID(const std::string& folderPath) { return folderPath + "//rest"; }

}  // namespace korvane
