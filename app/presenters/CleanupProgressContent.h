#pragma once

#include <cstdint>
#include <string>

#include "core/model/CleanupProgress.h"

namespace korvane {

// What the cleanup progress screen shows.
struct CleanupProgressContent {
    std::int64_t freedSoFar = 0;
    double fraction = 0;  // within 0...1; 0 while nothing is counted
    std::string currentTitle;
    std::string count;  // "3 of 12"

    friend bool operator==(const CleanupProgressContent&, const CleanupProgressContent&) = default;
};

CleanupProgressContent cleanupProgressContent(const CleanupProgress& progress);

}  // namespace korvane
