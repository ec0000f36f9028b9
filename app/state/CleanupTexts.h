#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/ScanResult.h"
#include "core/safety/RestoreEngine.h"

namespace korvane {

// The texts that follow a cleanup: the shareable summary of the scan and the
// notices after putting items back or emptying them from the Trash.
struct CleanupTexts {
    CleanupTexts() = delete;

    static constexpr const char* summaryCopied = "Summary copied.";

    // One paragraph naming the reclaimable total and the three categories
    // with the most to reclaim.
    static std::string shareSummary(const std::optional<ScanResult>& scan);
    // What was put back, else the first problem's message, else that nothing was left.
    static std::string putBackNotice(const RestoreEngine::Report& report);
    static std::string emptiedNotice(std::int64_t freedBytes);
};

}  // namespace korvane
