#pragma once

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
// worker: index entries go straight to one shared vector (few files are large
// enough, and no merge at the end copies them), largest files to each
// worker's own list until the scan ends.
class ScanEntries {
public:
    ScanEntries(const FileTreeScanner::Options& options, std::size_t itemCount);

    // Enters the file (or package) `name` in `folder` if it is large enough
    // for either list.
    void record(std::vector<FileTreeScanner::Entry>& largest, std::uint32_t top, std::string_view folder,
                std::string_view name, std::int64_t size, std::chrono::system_clock::time_point modified,
                bool isDirectory);
    std::vector<FileTreeScanner::Entry> takeIndex() { return std::move(index_); }
    // Largest first, cut to the list's length.
    void finishLargest(std::vector<FileTreeScanner::Entry>& largest) const;

private:
    const FileTreeScanner::Options& options_;
    std::size_t limit_;
    std::unique_ptr<std::atomic<int>[]> counts_;  // index entries per top-level item
    std::mutex lock_;
    std::vector<FileTreeScanner::Entry> index_;
};

}  // namespace korvane
