#pragma once

#include <optional>
#include <vector>

#include "core/explorer/FileTreeScanner.h"
#include "core/model/CleanupCandidate.h"

namespace korvane {

// Files and folders the user picked in general mode, as cleanup candidates.
struct UserChoice {
    UserChoice() = delete;

    static constexpr const char* ruleID = "general.userChoice";

    // The candidate for one picked entry, or nothing when the safety check
    // refuses its path. Always reviewed, never chosen in advance, and moved to
    // the Trash by default.
    static std::optional<CleanupCandidate> candidate(const FileTreeScanner::Entry& entry);
    // The admitted candidates, in the order given.
    static std::vector<CleanupCandidate> candidates(const std::vector<FileTreeScanner::Entry>& entries);
};

}  // namespace korvane
