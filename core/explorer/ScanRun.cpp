// The run of a folder scan: opens and lists the root, seeds the workers with
// its items, and gathers what they found once the walk is done.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "core/explorer/HeapRoom.h"
#include "core/explorer/Scan.h"
#include "core/platform/MountPoints_linux.h"
#include "core/system/LocalDays.h"
#include "core/system/ParallelWork.h"
#include "core/system/Paths.h"
#include "core/system/PseudoFileSystems.h"
#include "core/system/RealPath.h"

namespace korvane {

using SystemClock = std::chrono::system_clock;

namespace {

// Heap each worker makes room for at its start: about what one worker's
// share of a large tree's nodes and tallies takes.
constexpr std::size_t heapRoom = 4 * 1024 * 1024;

}  // namespace

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
    if (!openRoot(rootStat, result.kernelFileSystem)) {
        // A root that is gone or may not be opened is left out like any other
        // folder: an empty result must not read as an empty folder.
        if (!result.kernelFileSystem) result.unreadableFolders = 1;
        return result;
    }
    findMountsInside();
    listRoot();
    days_ = std::make_unique<AgeDayTable>(reference_);
    startWorkers();
    if (!queue_->empty())
        ParallelWork::run(static_cast<int>(workers_.size()), [this](int slot) {
            ScanWorker& worker = *workers_[static_cast<std::size_t>(slot)];
            makeHeapRoom(heapRoom);
            queue_->work([&](ScanJob& job) { runJob(worker, job); }, [&] { worker.rest(); });
            worker.publish();
        });
    rootFd_.reset();
    AgeStamper stamper(*days_);
    root_.finish(root, allocatedBytes(rootStat), wholeSeconds(rootStat), stamper(rootStat));
    if (root.lastModified) root.ages.elide(stamper(*root.lastModified));
    LinkedNames linked;
    collectEntries(result, linked);
    // A cancelled scan counts what its walk counted; the names set aside wait for no one.
    if (!cancelled()) linked.credit(options_, stamper, links_, result);
    entries_->finishLargest(result.largest);
    root.fileCount = storedCount(result.fileCount);
    root.folderCount = storedCount(result.folderCount);
    return result;
}

bool Scan::openRoot(struct stat& rootStat, std::optional<std::string>& kernelFileSystem) {
    // The root is the folder the user picked: a link to it is followed.
    rootFd_ = DirectoryReader::openFolder(rootPath_, true);
    if (!rootFd_.valid() || fstat(rootFd_.get(), &rootStat) != 0) return false;
    if (const auto type = pseudoFileSystemName(rootFd_.get())) {
        kernelFileSystem = std::string(*type);
        return false;
    }
    // A folder that may be listed but not entered shows nothing it holds.
    struct stat entered {};
    if (fstatat(rootFd_.get(), ".", &entered, 0) != 0) return false;
    rootDevice_ = rootStat.st_dev;
    return true;
}

void Scan::findMountsInside() {
    const auto points = MountPoints::read();
    if (!points) return;
    // The table holds real paths; the walk writes them below the root as given.
    const std::string real = RealPath::resolved(rootPath_);
    for (const std::string& point : *points)
        if (point != real && Paths::isAtOrBelow(point, real)) {
            std::string inside = Paths::join(rootPath_, std::string_view(point).substr(real.size()));
            mountFolders_.insert(Paths::parent(inside));
            mountsInside_.insert(std::move(inside));
        }
}

// Names sorted, so slots follow name order.
void Scan::listRoot() {
    {
        DirectoryReader listing(UniqueFd(::openat(rootFd_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
        DirectoryReader::Entry entry;
        while (listing.next(entry))
            if (!isUnlistedName(entry.name) &&
                (options_.leftOutAtRoot.empty() || !options_.leftOutAtRoot.contains(entry.name)))
                rootEntries_.push_back({entry.name, entry.type});
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
    for (int i = 0; i < workerCount; ++i) workers_.push_back(std::make_unique<ScanWorker>(keep_, *days_));
    FolderPool& pool = workers_.front()->folders;
    std::vector<ScanJob> seeds;
    for (std::uint32_t i = 0; i < rootEntries_.size(); ++i) {
        unsigned char type = rootEntries_[i].type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(rootFd_.get(), rootEntries_[i].name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type == DT_DIR)
            seeds.push_back(
                ScanJob{pool.take(nullptr, 1, i, i, rootDevice_, rootEntries_[i].name), UniqueFd(), {}, 0});
        else
            rootFileSeqs_.push_back(i);
    }
    if (seeds.empty()) workers_.resize(1);
    queue_ = std::make_unique<ScanQueue<ScanJob>>(workers_.size() > 1 ? workers_.size() : 0);
    // The root's own files go first: they are quick and never handed over.
    if (!rootFileSeqs_.empty()) queue_->push(ScanJob{}, false);
    for (ScanJob& seed : seeds) queue_->push(std::move(seed), false);
}

void Scan::collectEntries(FileTreeScanner::Result& result, LinkedNames& linked) {
    std::size_t names = 0, text = 0;
    for (auto& worker : workers_) {
        names += worker->batch.linked.size();
        text += worker->batch.linked.textSize();
    }
    linked.reserve(names, text);
    for (auto& worker : workers_) entries_->handOver(worker->batch.index);
    result.index = entries_->takeIndex();
    for (auto& worker : workers_) {
        ScanBatch& batch = worker->batch;
        for (auto& entry : batch.largest) result.largest.push_back(std::move(entry));
        result.fileCount += batch.files;
        result.folderCount += batch.folders;
        result.unreadableFolders += batch.unreadable;
        result.tooDeepFolders += batch.tooDeep;
        result.trashBytes += batch.trash;
        for (auto& point : batch.mounts) result.mountPoints.push_back(std::move(point));
        linked.append(std::move(batch.linked));
        batch = ScanBatch();
    }
    std::sort(result.mountPoints.begin(), result.mountPoints.end());
}

}  // namespace korvane
