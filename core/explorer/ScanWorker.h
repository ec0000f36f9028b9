#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/explorer/AgeStamper.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/explorer/LinkedNames.h"
#include "core/explorer/ReaderBuffers.h"
#include "core/explorer/ScanFolder.h"
#include "core/system/DirectoryReader.h"
#include "core/system/FastSizer.h"
#include "core/system/Flag.h"

namespace korvane {

// Every skipped name starts with a dot, which most names do not.
inline bool isSkippedName(const char* name) {
    return name[0] == '.' && FileTreeScanner::skippedNames().count(name) != 0;
}
// What the walk of a folder passes by unlisted: the skipped names but
// ".Trash", which it measures and says apart as a Trash folder.
inline bool isUnlistedName(const char* name) {
    return name[0] == '.' && FileTreeScanner::skippedNames().count(name) != 0 && std::strcmp(name, ".Trash") != 0;
}

// A worker's own tallies and largest files, merged once the scan ends.
struct ScanBatch {
    std::vector<FileTreeScanner::Entry> largest;
    std::vector<FileTreeScanner::Entry> index;  // entries not yet in the scan's index
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::int64_t bytes = 0;
    std::int64_t unreadable = 0;  // folders that could not be opened
    std::int64_t tooDeep = 0;     // folders below the deepest level walked
    std::int64_t trash = 0;       // bytes in the Trash folders met
    std::vector<std::string> mounts;  // mount points met: folders, and files bound inside
    LinkedNames linked;               // names of files with several links
};

// Files that only fold into their folder's remainder, gathered while a
// listing is read and counted a run at a time: right after each file's stat
// call the caches are the kernel's, so a walk that counted each file there
// would wait for its own tallies and tables once a file. One folder's at a
// time: the walk counts them before it enters a subfolder.
struct PendingFiles {
    static constexpr std::size_t capacity = 64;
    struct File {
        const char* name;  // in the listing being read
        std::uint32_t length;
        std::uint32_t position;
        std::int64_t bytes;
        std::int64_t modified;  // UTC seconds
    };
    std::array<File, capacity> files;
    std::size_t count = 0;
};

// What one worker thread of a scan keeps to itself; published counters let
// progress read them without a lock.
struct alignas(64) ScanWorker {
    ScanWorker(std::size_t keep, const AgeDayTable& days) : folders(keep), stamper(days) { buffers.map(); }

    ScanBatch batch;
    std::string path;                     // the path of the folder being read
    std::deque<DirectoryReader> readers;  // one per depth, each keeping its buffer
    ReaderBuffers buffers;                // behind `readers`
    FolderPool folders;
    AgeStamper stamper;  // dates what this worker meets
    PendingFiles pending;
    std::atomic<std::int64_t> publishedFiles{0};
    std::atomic<std::int64_t> publishedBytes{0};

    void publish() {
        publishedFiles.store(batch.files, std::memory_order_relaxed);
        publishedBytes.store(batch.bytes, std::memory_order_relaxed);
    }
    DirectoryReader& reader(int depth) {
        while (readers.size() <= static_cast<std::size_t>(depth)) readers.emplace_back(buffers.take());
        return readers[static_cast<std::size_t>(depth)];
    }
    // Sums the package folder open in the reader of `readerDepth`, `depth`
    // levels below the package, on `device` (nothing on another file system
    // counts); a file with several links counts only if `links` has not seen it.
    std::int64_t packageContents(int readerDepth, dev_t device, int depth, FastSizer::LinkSet& links,
                                 const Flag& cancelled);
    // Between jobs no folder is open.
    void rest() {
        readers.clear();
        buffers.release();
    }
};

}  // namespace korvane
