#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/model/ItemIdentity.h"
#include "core/model/StorageNode.h"
#include "core/system/FastSizer.h"
#include "core/system/Flag.h"

namespace korvane {

// Scans one folder into a tree of sizes (a `StorageNode` tree whose ids are
// paths), the list of its largest files and an index of sizable entries for
// file search, all in one parallel pass with POSIX directory calls.
//
// Every size is allocated space (st_blocks * 512). A file with several hard
// links counts once per scan, under its first name in path order, whichever
// name a worker meets first; symbolic links are never followed (their own
// blocks count, like `du`). The walk stays on the root's file system: another
// one mounted inside, or a folder bound inside (the mount table names both),
// is a node of no size, a file bound inside counts for nothing and has no
// node, and pseudo file systems (proc, sysfs, ...) are not even named. Each
// folder also counts its own allocated blocks, so the root's total equals
// `du -sx -B1` of the root less what is left out on purpose (`skippedNames`,
// Trash folders, whose size the result says apart, folders deeper than
// `maxDepth`; a folder or a file bound inside, which du counts again). A
// folder's date is the newest modification time the walk met in it, its own
// included, and a remainder's the newest of what it sums; no call is made
// for them. What no single date can tell, how old each byte of a remainder
// is, and of a folder's own blocks and what it holds without a node, each
// node keeps in its age profile, from every file's own modification time.
class FileTreeScanner {
public:
    // Identity of a file with several hard links; the same key the sizer uses.
    using InodeKey = FastSizer::InodeKey;

    struct Options {
        // A regular file of at least this size gets a node of its own.
        std::int64_t fileNodeThreshold = 4194304;
        // Files (and ".app" packages) of at least this size enter the
        // largest-files list: 50 MB in the decimal units every page prints.
        std::int64_t largeFileThreshold = 50'000'000;
        // Length of the final largest-files list.
        int largeFileLimit = 500;
        // Entries of at least this size enter the search index.
        std::int64_t indexThreshold = 65536;
        // Index entries kept per top-level item.
        int indexLimit = 250000;
        // Folders at depth <= treeDepth keep child nodes; deeper ones fold
        // everything into one remainder node.
        int treeDepth = 6;
        // The most child nodes a folder keeps before its remainder node.
        int maxChildren = 45;
        // A folder deeper than this is not opened at all.
        int maxDepth = 40;
        // Subfolders of folders at depth < parallelDepth always go to the
        // worker threads; deeper subfolders, and parts of a long listing,
        // are handed over whenever a worker is idle, so neither one large
        // top-level folder nor one folder of thousands of files leaves the
        // other threads waiting.
        int parallelDepth = 1;
        // Number of worker threads; 0 means one per available processor.
        int workerCount = 0;
        // Progress is reported at most this often (seconds).
        double progressInterval = 0.12;
        // The moment the age profiles count from; the scan's start when absent.
        std::optional<std::chrono::system_clock::time_point> now;
        // Names in the root that are not listed: for reading a folder's
        // remainder again, the entries its tree shows already.
        std::unordered_set<std::string> leftOutAtRoot;
        // Every file in the root gets a node of its own, whatever its size.
        bool rootFilesAreNodes = false;
    };

    // One row of the largest-files list and of the search index.
    struct Entry {
        std::uint64_t id = 0;                            // hash of `path`; tells rows apart within one run
        std::string name;                                // last path component as listed
        std::string path;                                // full path
        std::int64_t size = 0;                           // allocated bytes (a package's measured total)
        std::chrono::system_clock::time_point modified;  // whole seconds
        bool isDirectory = false;                        // a folder or a package
        // A row made from a node of the tree, which keeps no inode: a file
        // is known by its size and date alone.
        bool fromNode = false;
        // Which file (or package) the scan saw there: with `modified`, what
        // a pick of this row consents to. 0 when not known.
        std::uint64_t device = 0;
        std::uint64_t inode = 0;

        static Entry make(std::string name, std::string path, std::int64_t size,
                          std::chrono::system_clock::time_point modified, bool isDirectory);
        // The row of a file or folder the tree shows (a canvas pick).
        static Entry of(const StorageNode& node);
        // `path` without its last component.
        std::string parentPath() const;
        // What the scan saw of the item (a file's own allocated size, which
        // is `size`; a package is known by its inode alone); none when the
        // row was made without it.
        std::optional<ItemIdentity> identity() const;
        bool operator==(const Entry&) const = default;
    };

    struct Result {
        StorageNode root;
        std::vector<Entry> largest;  // largest first, at most largeFileLimit
        std::vector<Entry> index;
        std::int64_t fileCount = 0;    // regular files and packages counted
        std::int64_t folderCount = 0;  // folders opened below the root
        // Folders left out, with all they hold: ones that could not be opened
        // or entered (no permission, say) and ones deeper than maxDepth.
        // Their own blocks count where they are known.
        std::int64_t unreadableFolders = 0;
        std::int64_t tooDeepFolders = 0;
        // What the Trash folders met hold: never walked into, never counted.
        std::int64_t trashBytes = 0;
        // Mount points met (in path order), a folder or a file bound there
        // included: the walk stays on the root's file system, as `du -x`
        // does, and counts each file once, so a folder is a node of no size
        // and nothing in it counts, and a file counts for nothing.
        std::vector<std::string> mountPoints;
        // The root lies on a kernel pseudo file system, which is not
        // scanned: its type ("proc"). Such a root is no folder left out.
        std::optional<std::string> kernelFileSystem;
        double duration = 0;           // seconds
    };

    struct Progress {
        std::int64_t scanned = 0;  // files counted so far
        std::int64_t bytes = 0;    // bytes counted so far
        std::string current;       // folder being opened
        bool operator==(const Progress&) const = default;
    };
    using ProgressHandler = std::function<void(const Progress&)>;

    FileTreeScanner();
    explicit FileTreeScanner(Options options);
    FileTreeScanner(const FileTreeScanner&) = delete;
    FileTreeScanner& operator=(const FileTreeScanner&) = delete;

    // Walks `root` (an absolute path) and returns when every worker has
    // finished. Never fails: unreadable parts are missing from the result
    // (a root that cannot be opened counts as one unreadable folder).
    // A cancel() that came before the call has no effect. `progress` is
    // called on worker threads, with no lock of the scanner held; an exception
    // it throws is dropped.
    Result scan(const std::string& root, const ProgressHandler& progress = {});
    // Stops a running scan as soon as possible; it still returns what was
    // counted so far. Safe from any thread.
    void cancel();
    bool isCancelled() const;

    const Options& options() const { return options_; }

    // Names that are never listed, walked, counted or recorded (compared
    // whole, one path component at a time).
    static const std::unordered_set<std::string>& skippedNames();
    // Package folders are measured whole and get a single node and entry.
    static bool isPackageName(std::string_view name);
    // Processors this process may run on (at least 1).
    static int activeProcessorCount();
    // The id of a folder's remainder node; no real path can have it.
    static std::string remainderID(const std::string& folderPath);
    static bool isRemainderID(std::string_view id);
    // The folder whose remainder the id names, also through the remainder of
    // a remainder (the id itself when it names none).
    static std::string_view remainderFolder(std::string_view id);
    // The detail that marks a folder where another file system is mounted;
    // its value names that file system's type.
    static constexpr std::string_view mountPointDetail = "Mount point";
    static bool isMountPoint(const StorageNode& node);
    // The detail of a folder holding names of files counted under another
    // name elsewhere: "2 files, counted in ~/Links/a".
    static constexpr std::string_view otherNamesDetail = "Other names";

private:
    Options options_;
    Flag cancelled_;
};

}  // namespace korvane
