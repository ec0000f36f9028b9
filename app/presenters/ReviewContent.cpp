#include "app/presenters/ReviewContent.h"

#include <algorithm>

#include "app/presenters/CountText.h"
#include "app/presenters/OneLineText.h"
#include "core/model/SizeSum.h"
#include "core/safety/CleanupEngine.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

std::string_view safetySymbol(SafetyLevel safety) {
    switch (safety) {
        case SafetyLevel::safe:
            return "checkmark.circle.fill";
        case SafetyLevel::caution:
            return "exclamationmark.triangle.fill";
        case SafetyLevel::dangerous:
            return "lock.fill";
    }
    return "checkmark.circle.fill";
}

std::string costlyWarning(std::size_t count) {
    return countText(static_cast<std::int64_t>(count), "selected item") +
           std::string(countNoun(static_cast<std::int64_t>(count), " costs", " cost")) +
           " time or bandwidth to restore. Check them before continuing.";
}

}  // namespace

ReviewContent reviewContent(std::vector<CleanupCandidate> selected, std::optional<Disposal> disposalOverride,
                            std::optional<std::string> leftOut) {
    std::stable_sort(selected.begin(), selected.end(),
                     [](const CleanupCandidate& a, const CleanupCandidate& b) { return a.size > b.size; });
    ReviewContent content;
    SizeSum total;
    SizeSum trash;
    std::size_t costly = 0;
    for (const CleanupCandidate& candidate : selected) {
        total += candidate.size;
        if (candidate.safety == SafetyLevel::caution) ++costly;
        ReviewRow row;
        row.id = candidate.id;
        row.safety = candidate.safety;
        row.safetySymbol = safetySymbol(candidate.safety);
        row.groupTitle = candidate.groupTitle;
        row.fullTitle = candidate.title;
        row.title = oneLineText(candidate.title);
        row.fullRemoval =
            candidate.removal.isCommand() ? "Runs: " + candidate.removal.commandLine() : candidate.path;
        row.removal = oneLineText(row.fullRemoval);
        row.disposal = disposalOverride.value_or(CleanupEngine::recommendedDisposal(candidate));
        if (row.disposal == Disposal::trash) {
            trash += candidate.size;
            row.disposalLabel = "Moves to Trash";
            row.disposalSymbol = "trash";
        } else {
            row.disposalLabel = "Deleted";
            row.disposalSymbol = "xmark.bin";
        }
        if (candidate.restoreHint) row.restoreHint = "· " + *candidate.restoreHint;
        row.size = ByteFormat::string(candidate.size);
        row.showsDivider = true;
        content.rows.push_back(std::move(row));
    }
    if (!content.rows.empty()) content.rows.back().showsDivider = false;
    content.total = total.total();
    if (costly > 0) content.warning = costlyWarning(costly);
    content.leftOut = std::move(leftOut);
    if (trash.total() >= 1)
        content.trashNotice =
            ByteFormat::string(trash.total()) +
            " moves to the Trash and stays recoverable. That space comes back when you empty it.";
    content.cleanTitle = "Clean " + ByteFormat::string(content.total);
    content.cleanEnabled = !content.rows.empty();
    return content;
}

}  // namespace korvane
