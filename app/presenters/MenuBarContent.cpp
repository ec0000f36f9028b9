#include "app/presenters/MenuBarContent.h"

#include <algorithm>

#include "core/text/ByteFormat.h"

namespace korvane {

MenuBarContent menuBarContent(const std::optional<ScanResult>& scan, std::int64_t reclaimableBytes,
                              Route route, bool scanRuns) {
    MenuBarContent content;
    content.reclaimableBytes = reclaimableBytes;
    if (scan) {
        content.showsScanSummary = true;
        const std::vector<CategoryResult> categories = scan->nonEmptyCategories();
        const std::size_t shown = std::min(categories.size(), MenuBarContent::maximumRows);
        for (std::size_t index = 0; index < shown; ++index) {
            const CategoryResult& result = categories[index];
            content.rows.push_back({result.category, std::string(title(result.category)),
                                    ByteFormat::string(result.reclaimable())});
        }
        content.freeSpace = ByteFormat::string(scan->volume.availableCapacity);
    }
    content.scanButtonTitle = route == Route::scanning || scanRuns ? "Scanning…" : "Scan Now";
    content.scanEnabled = scanNowEnabled(route, scanRuns);
    return content;
}

std::string menuBarTitle(std::int64_t reclaimableBytes) {
    return reclaimableBytes < 1 ? "Korvane" : ByteFormat::string(reclaimableBytes);
}

bool scanNowEnabled(Route route, bool scanRuns) {
    return !scanRuns && route != Route::scanning && route != Route::cleaning;
}

}  // namespace korvane
