#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/presenters/EmptyStateText.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

// What the large-files page shows besides its list.
struct LargeFilesContent {
    // "Everything over 50 MB, biggest first": the threshold the list is made
    // with, printed as every size is.
    std::string subtitle;
    std::optional<std::string> total;  // the listed entries' sum, only when some
    bool showsList = false;
    std::optional<EmptyStateText> emptyState;

    friend bool operator==(const LargeFilesContent&, const LargeFilesContent&) = default;
};

LargeFilesContent largeFilesContent(bool hasResult, const std::vector<FileTreeScanner::Entry>& largest,
                                    std::int64_t threshold = FileTreeScanner::Options{}.largeFileThreshold);

}  // namespace korvane
