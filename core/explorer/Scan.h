#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/explorer/AgeDayTable.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/explorer/FolderTally.h"
#include "core/explorer/LinkedNames.h"
#include "core/explorer/ListingShare.h"
#include "core/explorer/ScanEntries.h"
#include "core/explorer/ScanFolder.h"
#include "core/explorer/ScanProgress.h"
#include "core/explorer/ScanQueue.h"
#include "core/explorer/ScanRoot.h"
#include "core/explorer/ScanWorker.h"
#include "core/model/AgeProfile.h"
#include "core/model/ExtensionTable.h"
#include "core/system/DirectoryReader.h"
#include "core/system/FastSizer.h"
#include "core/system/FileDate.h"
#include "core/system/Flag.h"
#include "core/system/TrashFolders.h"
#include "core/system/UniqueFd.h"

namespace korvane {

// One run of `FileTreeScanner::scan`, in three steps: the run itself
// (ScanRun.cpp: open and list the root, seed the workers, gather what they
// found), the walk of folders and their entries (FileTreeScanner.cpp), and
// the hand-up of finished folders to their parents and of finished top-level
// items to the root (ScanHandUp.cpp).

inline std::int64_t allocatedBytes(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

inline std::chrono::system_clock::time_point wholeSeconds(const struct stat& st) {
    return FileDate::fromSeconds(st.st_mtim.tv_sec);
}

// A folder waiting for a worker: a top-level item (opened by name from the
// root), a subfolder handed over already open, or a share of a folder's
// listing that another worker is reading.
struct ScanJob {
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
          notableDeep_(std::min(options.indexThreshold, options.largeFileThreshold)),
          notable_(std::min(notableDeep_, options.fileNodeThreshold)),
          progress_(progress, options.progressInterval),
          kinds_(ExtensionTable::get()) {}

    FileTreeScanner::Result run(const std::string& rootPath);

private:
    struct RootEntry {
        std::string name;
        unsigned char type;
    };

    bool cancelled() const { return cancelled_.value(); }
    bool needsNode(int depth) const { return depth == 1 || depth - 1 <= options_.treeDepth; }
    bool keepsChildren(int depth) const { return depth <= options_.treeDepth; }
    // The smallest file of a folder at `depth` that gets more than a place
    // in its remainder.
    std::int64_t foldsBelow(int depth) const { return keepsChildren(depth) ? notable_ : notableDeep_; }
    // A folded item's name, where its folder gets a node that may show it.
    std::string_view foldedName(int depth, std::string_view name) const {
        return needsNode(depth) ? name : std::string_view();
    }

    bool openRoot(struct stat& rootStat, std::optional<std::string>& kernelFileSystem);
    // Reads the mount table once: a folder bound inside the root shows the
    // device of the folder it repeats, so only the table tells it apart.
    void findMountsInside();
    // Whether the folder or file at `path` is a mount point strictly below the root.
    bool isMountInside(const std::string& path) const {
        return !mountsInside_.empty() && mountsInside_.contains(path);
    }
    // Whether a mount point lies directly in the folder at `path`: only there
    // are files looked up, once per folder rather than once per file.
    bool holdsMount(const std::string& path) const {
        return !mountFolders_.empty() && mountFolders_.contains(path);
    }
    // Whether the non-folder `name` of the folder at `folderPath`, in which
    // `holdsMount`, is a mount point; if so it is named and counts for nothing.
    bool leavesOutMountedFile(ScanWorker& worker, std::string_view folderPath, std::string_view name);
    void listRoot();
    void startWorkers();
    // Takes every worker's lists and counts, and the names of files with
    // several links into `linked`; the largest-files list is not yet cut.
    void collectEntries(FileTreeScanner::Result& result, LinkedNames& linked);

    void runJob(ScanWorker& worker, ScanJob& job);
    void walk(ScanWorker& worker, ScanFolder* folder, UniqueFd fd);
    // Inline: the walk's loop runs it for every name.
    // A regular file of one link smaller than `folds` only folds into the
    // folder's remainder.
    // `mounts`: a mount point lies directly in `folder`.
    [[gnu::always_inline]] inline void entry(ScanWorker& worker, ScanFolder* folder, FolderTally& local,
                                             PendingFiles& pending, std::int64_t folds, bool mounts, int dirFd,
                                             std::string_view name, unsigned char type, std::uint32_t position);
    // Counts the pending files into `local`; their names must still be valid.
    void countPending(ScanWorker& worker, ScanFolder* folder, FolderTally& local, PendingFiles& pending);
    [[gnu::noinline]] void otherEntry(ScanWorker& worker, ScanFolder* folder, FolderTally& local, int dirFd,
                                      std::string_view name, std::uint32_t position, const struct stat& st);
    void offerShares(ScanFolder* folder, DirectoryReader& reader, std::uint32_t& seq);
    void walkShare(ScanWorker& worker, ScanFolder* folder, ScanJob& job);
    void finishPart(ScanWorker& worker, ScanFolder* folder, FolderTally&& local);
    void rootFiles(ScanWorker& worker);
    void subfolder(ScanWorker& worker, ScanFolder* parent, FolderTally& local, int dirFd, const char* name,
                   std::uint32_t seq);
    void package(ScanWorker& worker, ScanFolder* folder, FolderTally& local, int dirFd, const char* name,
                 std::uint32_t seq, const struct stat& st);

    // A folder the walk does not count: the Trash folder open in the reader
    // of `depth` (measured, and said apart), a folder holding another file
    // system (a node of no size), or what was met of one that may be listed
    // but not entered (its own blocks, as for du).
    void leaveOutTrash(ScanWorker& worker, int depth, const struct stat& own);
    // The Trash folder `name` in the open folder `dirFd`, read with the reader of `depth`.
    void measureTrash(ScanWorker& worker, int dirFd, const char* name, int depth);
    void leaveOutMount(ScanWorker& worker, ScanFolder* folder, int fd);
    void leaveOutUnenterable(ScanWorker& worker, ScanFolder* folder);
    // A file with several names: counted once the walk is done (LinkedNames).
    void deferLinked(ScanWorker& worker, std::string_view folderPath, FolderTally* local, std::string_view name,
                     const struct stat& st);

    // `folder` has given back a token; `path` is its path where the caller
    // knows it (the path of the folder a worker read), else empty.
    void release(ScanWorker& worker, ScanFolder* folder, std::string_view path = {});
    void drop(ScanWorker& worker, ScanFolder* folder);
    // `file` names a file without a node, which the root sums.
    void deliverTop(AgeStamper& stamper, std::uint32_t seq, std::optional<ScanTreeNode> node,
                    std::int64_t bytes, std::chrono::system_clock::time_point newest,
                    std::optional<AgeProfile::Stamp> age = std::nullopt, std::string_view file = {});

    const FileTreeScanner::Options& options_;
    const Flag& cancelled_;
    std::size_t keep_;
    // The smallest file that gets more than a place in a remainder: a node
    // (where folders keep children) or a row of a list; deeper, a row only.
    std::int64_t notableDeep_;
    std::int64_t notable_;
    ScanProgress progress_;
    const ExtensionTable& kinds_;  // the kind of every file the walk counts

    std::string rootPath_;
    AgeProfile::Moment reference_;
    std::unique_ptr<AgeDayTable> days_;  // dates every file of the scan
    UniqueFd rootFd_;
    dev_t rootDevice_ = 0;
    std::unordered_set<std::string> mountsInside_;  // paths as the walk writes them
    std::unordered_set<std::string> mountFolders_;  // the folders they lie directly in
    std::vector<RootEntry> rootEntries_;
    std::vector<std::uint32_t> rootFileSeqs_;

    std::vector<std::unique_ptr<ScanWorker>> workers_;
    std::unique_ptr<ScanQueue<ScanJob>> queue_;
    FastSizer::LinkSet links_;
    std::unique_ptr<ScanEntries> entries_;
    // Never listed, walked, counted or recorded.
    const TrashFolders trash_;

    ScanRoot root_;
};

}  // namespace korvane
