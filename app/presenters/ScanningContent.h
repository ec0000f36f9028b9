#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/Categories.h"
#include "core/model/ScanProgress.h"

namespace korvane {

// One finished category of the running scan.
struct ScanningRow {
    CleanupCategory category = CleanupCategory::xcode;
    std::string title;
    std::string symbol;
    std::string bytes;

    friend bool operator==(const ScanningRow&, const ScanningRow&) = default;
};

// What the scanning screen shows of the progress.
struct ScanningContent {
    std::int64_t foundSoFar = 0;
    double fraction = 0;  // within 0...1
    std::string phase;
    // The finished categories that found anything, in the order they finished.
    std::vector<ScanningRow> rows;

    friend bool operator==(const ScanningContent&, const ScanningContent&) = default;
};

ScanningContent scanningContent(const ScanProgress& progress);

}  // namespace korvane
