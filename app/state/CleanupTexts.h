#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/state/UserChoice.h"
#include "core/model/ScanResult.h"
#include "core/safety/RestoreEngine.h"

namespace korvane {

// The texts around a cleanup: the shareable summary of the scan, the line on
// what staging left out, and the notices after putting items back or
// emptying them from the Trash.
struct CleanupTexts {
    CleanupTexts() = delete;

    static constexpr const char* summaryCopied = "Summary copied.";
    // Staging was asked for nothing: the ticked items are not in the list on show.
    static constexpr const char* nothingChosen = "None of the ticked items is in this list now.";

    // One paragraph naming the reclaimable total and the three categories
    // with the most to reclaim.
    static std::string shareSummary(const std::optional<ScanResult>& scan);
    // What was put back, else the first problem's message, else that nothing was left.
    static std::string putBackNotice(const RestoreEngine::Report& report);
    static std::string emptiedNotice(std::int64_t freedBytes);
    // One line on what staging left out: chosen items no longer there, then
    // those the safety check refuses and why. Nothing when it left nothing out.
    static std::optional<std::string> leftOutNotice(const std::vector<std::string>& gone,
                                                    const std::vector<UserChoice::Refusal>& refused);
};

}  // namespace korvane
