#include "app/state/CleanupTexts.h"

#include <cstdio>

#include "app/state/PlatformWords.h"
#include "core/text/ByteFormat.h"

namespace korvane {

std::string CleanupTexts::shareSummary(const std::optional<ScanResult>& scan) {
    if (!scan) return "Korvane found nothing to clean.";
    std::string list;
    const auto categories = scan->nonEmptyCategories();
    for (std::size_t i = 0; i < categories.size() && i < 3; ++i) {
        if (i > 0) list += ", ";
        list += std::string(title(categories[i].category)) + " " +
                ByteFormat::string(categories[i].reclaimable());
    }
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, "%.0f", scan->duration);
    return "Korvane found " + ByteFormat::string(scan->reclaimable()) +
           " of reclaimable developer storage " + std::string(platformWords::onMyComputer) + " \u2014 " + list + ". Scanned in " + seconds + "s.";
}

std::string CleanupTexts::putBackNotice(const RestoreEngine::Report& report) {
    const auto count = report.restoredCount();
    if (count != 0)
        return "Put back " + ByteFormat::string(report.restoredBytes()) + " across " + std::to_string(count) +
               (count == 1 ? " location." : " locations.");
    const auto problems = report.problems();
    if (!problems.empty() && problems.front().message) return *problems.front().message;
    return "Nothing was left to put back.";
}

std::string CleanupTexts::emptiedNotice(std::int64_t freedBytes) {
    if (freedBytes < 1) return "There was nothing of Korvane's left in the Trash.";
    return "Emptied " + ByteFormat::string(freedBytes) + " from the Trash.";
}

}  // namespace korvane
