#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/explorer/FileTreeScanner.h"
#include "core/explorer/ScanWorker.h"

namespace korvane {

// Tells the caller of a scan how far it got, at most once per interval,
// from whichever worker opens a folder when a report is due.
class ScanProgress {
public:
    // The first report is due one interval from now.
    ScanProgress(const FileTreeScanner::ProgressHandler& handler, double interval);

    // Sums every worker's published counters; `worker`'s path is the current one.
    void report(ScanWorker& worker, const std::vector<std::unique_ptr<ScanWorker>>& workers);

private:
    const FileTreeScanner::ProgressHandler& handler_;
    std::int64_t interval_ = 0;  // steady clock ticks
    std::atomic<std::int64_t> last_{0};
};

}  // namespace korvane
