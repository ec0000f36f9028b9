#include "core/explorer/ScanProgress.h"

#include <algorithm>
#include <chrono>

namespace korvane {

namespace {

std::int64_t steadyNow() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

}  // namespace

ScanProgress::ScanProgress(const FileTreeScanner::ProgressHandler& handler, double interval)
    : handler_(handler),
      interval_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::duration<double>(std::max(interval, 0.0)))
                    .count()),
      last_(steadyNow()) {}

void ScanProgress::report(ScanWorker& worker, const std::vector<std::unique_ptr<ScanWorker>>& workers) {
    if (!handler_) return;
    const std::int64_t now = steadyNow();
    std::int64_t last = last_.load(std::memory_order_relaxed);
    if (interval_ > 0 && now - last <= interval_) return;
    if (!last_.compare_exchange_strong(last, now, std::memory_order_relaxed)) return;
    worker.publish();
    FileTreeScanner::Progress progress;
    for (auto& other : workers) {
        progress.scanned += other->publishedFiles.load(std::memory_order_relaxed);
        progress.bytes += other->publishedBytes.load(std::memory_order_relaxed);
    }
    progress.current = worker.path;
    // The handler runs in the middle of a walk: a failure of its own must not
    // abandon the folders this worker has open, which would lose their bytes.
    try {
        handler_(progress);
    } catch (...) {
    }
}

}  // namespace korvane
