#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/presenters/EmptyStateText.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

// What the large-files page shows besides its list.
struct LargeFilesContent {
    std::optional<std::string> total;  // the listed entries' sum, only when some
    bool showsList = false;
    std::optional<EmptyStateText> emptyState;

    friend bool operator==(const LargeFilesContent&, const LargeFilesContent&) = default;
};

LargeFilesContent largeFilesContent(bool hasResult, const std::vector<FileTreeScanner::Entry>& largest);

}  // namespace korvane
