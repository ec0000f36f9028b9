#include "core/explorer/ScanEntries.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/system/FileDate.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

void sortLargestFirst(std::vector<FileTreeScanner::Entry>& entries) {
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const FileTreeScanner::Entry& a, const FileTreeScanner::Entry& b) { return a.size > b.size; });
}

}  // namespace

ScanEntries::ScanEntries(const FileTreeScanner::Options& options, std::size_t itemCount)
    : options_(options),
      limit_(static_cast<std::size_t>(std::max(options.largeFileLimit, 0))),
      counts_(std::make_unique<std::atomic<int>[]>(std::max<std::size_t>(itemCount, 1))) {}

void ScanEntries::record(std::vector<FileTreeScanner::Entry>& largest,
                         std::vector<FileTreeScanner::Entry>& batch, std::uint32_t top,
                         std::string_view folder, std::string_view name, std::int64_t size,
                         const struct stat& st, bool isDirectory) {
    const bool toIndex = size >= options_.indexThreshold;
    // Framework and bundle packages go to the index only.
    const bool toLargest =
        size >= options_.largeFileThreshold && (!isDirectory || (name.size() > 4 && name.ends_with(".app")));
    if (!toIndex && !toLargest) return;
    const auto modified = FileDate::fromSeconds(st.st_mtim.tv_sec);
    auto entry = FileTreeScanner::Entry::make(std::string(name), Paths::join(folder, name), size, modified,
                                              isDirectory);
    entry.device = static_cast<std::uint64_t>(st.st_dev);
    entry.inode = static_cast<std::uint64_t>(st.st_ino);
    const bool indexed =
        toIndex && counts_[top].fetch_add(1, std::memory_order_relaxed) < options_.indexLimit;
    if (toLargest) largest.push_back(indexed ? entry : std::move(entry));
    if (indexed) index(batch, std::move(entry));
    if (!toLargest) return;
    if (largest.size() > 3 * limit_) {
        sortLargestFirst(largest);
        largest.resize(limit_);
    }
}

void ScanEntries::recordFolder(std::vector<FileTreeScanner::Entry>& batch, std::uint32_t top, std::string path,
                               std::int64_t size, std::chrono::system_clock::time_point modified, dev_t device,
                               ino_t inode) {
    if (size < options_.indexThreshold ||
        counts_[top].fetch_add(1, std::memory_order_relaxed) >= options_.indexLimit)
        return;
    std::string name = Paths::lastComponent(path);
    auto entry = FileTreeScanner::Entry::make(std::move(name), std::move(path), size, modified, true);
    entry.device = static_cast<std::uint64_t>(device);
    entry.inode = static_cast<std::uint64_t>(inode);
    index(batch, std::move(entry));
}

void ScanEntries::index(std::vector<FileTreeScanner::Entry>& batch, FileTreeScanner::Entry&& entry) {
    if (batch.capacity() < batchSize) batch.reserve(batchSize);
    batch.push_back(std::move(entry));
    if (batch.size() == batchSize) {
        std::lock_guard guard(lock_);
        std::move(batch.begin(), batch.end(), std::back_inserter(index_));
        batch.clear();
    }
}

void ScanEntries::handOver(std::vector<FileTreeScanner::Entry>& batch) {
    {
        std::lock_guard guard(lock_);
        std::move(batch.begin(), batch.end(), std::back_inserter(index_));
    }
    std::vector<FileTreeScanner::Entry>().swap(batch);
}

void ScanEntries::finishLargest(std::vector<FileTreeScanner::Entry>& largest) const {
    sortLargestFirst(largest);
    if (largest.size() > limit_) largest.resize(limit_);
}

}  // namespace korvane
