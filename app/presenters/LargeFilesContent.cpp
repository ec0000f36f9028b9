#include "app/presenters/LargeFilesContent.h"

#include "core/text/ByteFormat.h"

namespace korvane {

LargeFilesContent largeFilesContent(bool hasResult, const std::vector<FileTreeScanner::Entry>& largest,
                                    std::int64_t threshold) {
    LargeFilesContent content;
    const std::string over = "over " + ByteFormat::string(threshold);
    content.subtitle = "Everything " + over + ", biggest first";
    if (!largest.empty()) {
        std::int64_t total = 0;
        for (const auto& entry : largest) total += entry.size;
        content.total = ByteFormat::string(total);
    }
    if (!hasResult)
        content.emptyState = EmptyStateText{"arrow.up.circle", "Scan a folder first",
                                            "The largest files are collected during the scan."};
    else if (!largest.empty())
        content.showsList = true;
    else
        content.emptyState = EmptyStateText{"checkmark.seal", "Nothing " + over,
                                            "This folder holds no unusually large files."};
    return content;
}

}  // namespace korvane
