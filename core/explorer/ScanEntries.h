#pragma once

#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/explorer/FileTreeScanner.h"

namespace korvane {

// The largest-files list and the search index of one scan, fed by every
// worker: index entries gather in each worker's short batch and go to one
// shared vector a batch at a time (no merge at the end copies them, and the
// workers seldom meet at its lock), largest files to each worker's own list
// until the scan ends.
class ScanEntries {
public:
    // Index entries a worker holds before it hands them over.
    static constexpr std::size_t batchSize = 16;

    ScanEntries(const FileTreeScanner::Options& options, std::size_t itemCount);

    // Enters the file (or package) `name` in `folder`, whose status is
    // `st`, if it is large enough for either list; `largest` and `batch` are
    // the worker's own.
    void record(std::vector<FileTreeScanner::Entry>& largest, std::vector<FileTreeScanner::Entry>& batch,
                std::uint32_t top, std::string_view folder, std::string_view name, std::int64_t size,
                const struct stat& st, bool isDirectory);
    // Enters a walked folder at `path`, whose last component is its name, in
    // the index if it is large enough; folders never enter the largest list.
    // `device` and `inode` are the folder's own, what a pick of it consents to.
    void recordFolder(std::vector<FileTreeScanner::Entry>& batch, std::uint32_t top, std::string path,
                      std::int64_t size, std::chrono::system_clock::time_point modified, dev_t device,
                      ino_t inode);
    // Moves a worker's batch into the index and gives back its room.
    void handOver(std::vector<FileTreeScanner::Entry>& batch);
    // Once every batch is handed over.
    std::vector<FileTreeScanner::Entry> takeIndex() { return std::move(index_); }
    // Largest first, cut to the list's length.
    void finishLargest(std::vector<FileTreeScanner::Entry>& largest) const;

private:
    void index(std::vector<FileTreeScanner::Entry>& batch, FileTreeScanner::Entry&& entry);

    const FileTreeScanner::Options& options_;
    std::size_t limit_;
    std::unique_ptr<std::atomic<int>[]> counts_;  // index entries per top-level item
    std::mutex lock_;
    std::vector<FileTreeScanner::Entry> index_;
};

}  // namespace korvane
