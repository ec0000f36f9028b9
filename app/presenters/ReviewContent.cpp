#include "app/presenters/ReviewContent.h"

#include <algorithm>

#include "app/presenters/CountText.h"
#include "app/presenters/OneLineText.h"
#include "app/state/UserChoice.h"
#include "core/model/SizeSum.h"
#include "core/safety/CleanupEngine.h"
#include "core/system/Paths.h"
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

std::string permanentNotice(const SpaceProjection& projection) {
    const std::string bytes = ByteFormat::string(projection.freedNow);
    const char* how = projection.freedByCommand < 1 ? " is deleted"
                      : projection.freedByCommand < projection.freedNow
                          ? " is deleted or removed by a command"
                          : " is removed by a command";
    return bytes + how + " and cannot be put back. That space comes back at once.";
}

}  // namespace

ReviewContent reviewContent(std::vector<CleanupCandidate> selected, std::optional<Disposal> disposalOverride,
                            std::optional<std::string> leftOut) {
    std::stable_sort(selected.begin(), selected.end(),
                     [](const CleanupCandidate& a, const CleanupCandidate& b) { return a.size > b.size; });
    ReviewContent content;
    SizeSum total;
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
        row.fullRemoval = candidate.removal.isCommand() ? "Runs: " + candidate.removal.commandLine()
                                                        : Paths::abbreviatingHome(candidate.path);
        row.removal = oneLineText(row.fullRemoval);
        row.disposal = disposalOverride.value_or(CleanupEngine::recommendedDisposal(candidate));
        row.way = removalWay(candidate, disposalOverride);
        switch (row.way) {
            case RemovalWay::toTrash:
                row.disposalLabel = "Moves to Trash";
                row.disposalSymbol = "trash";
                break;
            case RemovalWay::deleted:
                row.disposalLabel = "Deleted";
                row.disposalSymbol = "xmark.bin";
                break;
            case RemovalWay::byCommand:
                row.disposalLabel = "Removed by the command \u00B7 cannot be put back";
                row.disposalSymbol = "gearshape";
                break;
        }
        // A picked file comes back only from the Trash: deleted, it does not.
        const bool hintHolds = row.way == RemovalWay::toTrash || candidate.ruleID != UserChoice::ruleID;
        if (candidate.restoreHint && hintHolds) row.restoreHint = "· " + *candidate.restoreHint;
        if (UserChoice::freesNoSpace(candidate)) row.sizeNote = candidate.reason;
        row.size = ByteFormat::string(candidate.size);
        row.showsDivider = true;
        content.rows.push_back(std::move(row));
    }
    if (!content.rows.empty()) content.rows.back().showsDivider = false;
    content.total = total.total();
    if (costly > 0) content.warning = costlyWarning(costly);
    // It quotes names, and a name may hold a line break.
    if (leftOut) content.leftOut = oneLineText(*leftOut);
    const SpaceProjection projection = spaceProjection(selected, disposalOverride);
    if (projection.toTrash >= 1)
        content.trashNotice =
            ByteFormat::string(projection.toTrash) +
            " moves to the Trash and stays recoverable. That space comes back when you empty it.";
    if (projection.freedNow >= 1) content.permanentNotice = permanentNotice(projection);
    content.cleanTitle = "Clean " + ByteFormat::string(content.total);
    content.cleanEnabled = !content.rows.empty();
    return content;
}

}  // namespace korvane
