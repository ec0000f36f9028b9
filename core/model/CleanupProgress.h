#pragma once

#include <cstdint>
#include <string>

namespace korvane {

// The state of a running cleanup; never stored.
struct CleanupProgress {
    std::int64_t completed = 0;
    std::int64_t total = 0;
    std::string currentTitle;
    std::int64_t freedSoFar = 0;

    CleanupProgress() = default;
    CleanupProgress(std::int64_t completed, std::int64_t total, std::string currentTitle, std::int64_t freedSoFar)
        : completed(completed), total(total), currentTitle(std::move(currentTitle)), freedSoFar(freedSoFar) {}

    friend bool operator==(const CleanupProgress&, const CleanupProgress&) = default;
};

}  // namespace korvane
