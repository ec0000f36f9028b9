#include "app/presenters/CleanupProgressContent.h"

#include <algorithm>

namespace korvane {

CleanupProgressContent cleanupProgressContent(const CleanupProgress& progress) {
    CleanupProgressContent content;
    content.freedSoFar = std::max<std::int64_t>(progress.freedSoFar, 0);
    if (progress.total > 0)
        content.fraction =
            std::clamp(static_cast<double>(progress.completed) / static_cast<double>(progress.total), 0.0, 1.0);
    content.currentTitle = progress.currentTitle;
    content.count = std::to_string(progress.completed) + " of " + std::to_string(progress.total);
    return content;
}

}  // namespace korvane
