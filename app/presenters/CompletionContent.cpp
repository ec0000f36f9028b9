#include "app/presenters/CompletionContent.h"

#include <algorithm>

#include "app/presenters/CountText.h"
#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr const char* trashExplanation =
    "Those items are in the Trash. The disk space comes back when you empty it \u2014 Korvane can empty just what "
    "it put there, and nothing else of yours.";

VolumeColumn volumeColumn(const char* title, const VolumeInfo& volume) {
    return {title, ByteFormat::string(volume.availableCapacity) + " free", usedFraction(volume)};
}

TrashPanel trashPanel(const CleanupReport& report, const std::vector<CleanupOutcome>& inTrash) {
    if (!inTrash.empty()) {
        SizeSum left;
        for (const CleanupOutcome& outcome : inTrash) left += outcome.expectedBytes;
        const std::string bytes = ByteFormat::string(left.total());
        return {bytes + " can still be put back", trashExplanation, "Empty " + bytes, true};
    }
    std::size_t trashed = 0;
    std::size_t putBack = 0;
    for (const CleanupOutcome& outcome : report.outcomes)
        if (outcome.status == CleanupOutcome::Status::trashed) {
            ++trashed;
            putBack += outcome.putBack ? 1 : 0;
        }
    std::string explanation =
        "Those items are no longer in the Trash, so there is nothing to put back or empty.";
    if (putBack > 0 && putBack == trashed)
        explanation = "Those items are back where they were.";
    else if (putBack > 0)
        explanation = "Some of those items are back where they were; the rest are no longer in the Trash.";
    return {"Nothing left to put back", explanation, "Empty", false};
}

std::optional<NotRemovedPanel> notRemovedPanel(const CleanupReport& report) {
    std::vector<CleanupOutcome> entries = report.failures();
    const std::vector<CleanupOutcome> skipped = report.skippedOutcomes();
    entries.insert(entries.end(), skipped.begin(), skipped.end());
    if (entries.empty()) return std::nullopt;
    NotRemovedPanel panel;
    const auto count = static_cast<std::int64_t>(entries.size());
    panel.heading =
        countText(count, "item") + std::string(countNoun(count, " was", " were")) + " not removed";
    const std::size_t shown = std::min<std::size_t>(entries.size(), CompletionContent::notRemovedShown);
    for (std::size_t index = 0; index < shown; ++index) {
        const CleanupOutcome& outcome = entries[index];
        panel.rows.push_back({outcome.candidateID, outcome.status == CleanupOutcome::Status::failed, outcome.title,
                              outcome.message});
    }
    return panel;
}

}  // namespace

double usedFraction(const VolumeInfo& volume) {
    if (volume.totalCapacity < 1) return 0;
    // Subtracting in doubles: a hostile pair of figures cannot overflow.
    const double used = std::max(static_cast<double>(volume.totalCapacity) -
                                     static_cast<double>(volume.availableCapacity), 0.0);
    return std::clamp(used / static_cast<double>(volume.totalCapacity), 0.0, 1.0);
}

CompletionContent completionContent(const std::optional<CleanupReport>& report,
                                    const std::optional<std::string>& notice,
                                    const std::vector<CleanupOutcome>& inTrash, bool noticeIsProblem) {
    CompletionContent content;
    content.notice = notice;
    content.noticeIsProblem = notice && noticeIsProblem;
    if (!report) return content;
    CompletionReportContent sections;
    sections.freedBytes = report->freedBytes();
    const auto locations = std::count_if(report->outcomes.begin(), report->outcomes.end(),
                                         [](const CleanupOutcome& outcome) { return outcome.succeeded(); });
    sections.locations = "removed from " + countText(locations, "location");
    sections.before = volumeColumn("Before", report->volumeBefore);
    sections.after = volumeColumn("After", report->volumeAfter);
    if (report->trashedBytes() >= 1) sections.trash = trashPanel(*report, inTrash);
    sections.notRemoved = notRemovedPanel(*report);
    content.report = std::move(sections);
    return content;
}

}  // namespace korvane
