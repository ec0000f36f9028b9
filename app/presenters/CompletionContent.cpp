#include "app/presenters/CompletionContent.h"

#include <algorithm>

#include "app/presenters/CountText.h"
#include "app/presenters/OneLineText.h"
#include "app/state/CleanupTexts.h"
#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr const char* trashExplanation =
    "Those items are in the Trash. The disk space comes back when you empty it \u2014 Korvane can empty just what "
    "it put there, and nothing else of yours.";

VolumeColumn volumeColumn(const char* title, const VolumeInfo& volume, const std::string& free) {
    return {title, free + " free", usedFraction(volume)};
}

std::int64_t bytesOf(const std::vector<CleanupOutcome>& outcomes) {
    SizeSum sum;
    for (const CleanupOutcome& outcome : outcomes) sum += outcome.expectedBytes;
    return sum.total();
}

bool isSameItem(const CleanupOutcome& a, const CleanupOutcome& b) {
    return a.candidateID == b.candidateID && a.trashURL == b.trashURL;
}

// Why nothing of this run is left in the Trash: put back, emptied, or gone some other way.
std::string noneLeftExplanation(const CleanupReport& report, const ReportFollowUp& followUp) {
    std::size_t back = 0;
    std::size_t backShort = 0;  // with less than went
    std::size_t emptied = 0;
    std::size_t gone = 0;
    for (const CleanupOutcome& outcome : report.outcomes) {
        if (outcome.status != CleanupOutcome::Status::trashed) continue;
        if (outcome.putBack) {
            ++back;
            if (outcome.returnedBytes() < outcome.expectedBytes) ++backShort;
        } else if (followUp.emptied.contains(outcome.candidateID))
            ++emptied;
        else
            ++gone;
    }
    if (back > 0 && emptied == 0 && gone == 0)
        return backShort > 0 ? "Those items are back where they were, but not all of what went: part of it had "
                               "already left the Trash."
                             : "Those items are back where they were.";
    if (emptied > 0 && back == 0 && gone == 0)
        return "Korvane emptied those items from the Trash, so their space is free again.";
    if (back > 0 && emptied > 0)
        return std::string("Some of those items are back where they were; Korvane emptied ") +
               (gone > 0 ? "others" : "the rest") + " from the Trash.";
    if (back > 0) return "Some of those items are back where they were; the rest are no longer in the Trash.";
    if (emptied > 0)
        return "Korvane emptied some of those items from the Trash; the rest are no longer there.";
    return "Those items are no longer in the Trash, so there is nothing of them to put back.";
}

TrashPanel trashPanel(const CleanupReport& report, const std::vector<CleanupOutcome>& inTrash,
                      const ReportFollowUp& followUp, TrashWork work) {
    TrashPanel panel;
    panel.canPutBack = !inTrash.empty();
    // An empty file, or one name of a file with others, frees nothing yet can be put back all the same.
    const std::int64_t bytes = bytesOf(inTrash);
    const std::string what = bytes >= 1 ? ByteFormat::string(bytes)
                                        : countText(static_cast<std::int64_t>(inTrash.size()), "item");
    panel.headline = panel.canPutBack ? what + " can still be put back" : std::string("Nothing left to put back");
    panel.explanation =
        panel.canPutBack ? std::string(trashExplanation) : noneLeftExplanation(report, followUp);
    panel.emptyTitle = "Empty";
    if (followUp.ownInTrash && !followUp.ownInTrash->empty()) {
        const std::vector<CleanupOutcome>& own = *followUp.ownInTrash;
        panel.canEmpty = true;
        panel.emptyTitle = "Empty " + ByteFormat::string(bytesOf(own));
        SizeSum earlier;
        for (const CleanupOutcome& item : own)
            if (std::none_of(report.outcomes.begin(), report.outcomes.end(),
                             [&item](const CleanupOutcome& ours) { return isSameItem(ours, item); }))
                earlier += item.expectedBytes;
        if (earlier.total() >= 1)
            panel.explanation += " Earlier cleanups left " + ByteFormat::string(earlier.total()) +
                                 " in the Trash too; \u201CEmpty\u201D removes that as well.";
    }
    if (work != TrashWork::none) {
        panel.canPutBack = false;
        panel.canEmpty = false;
        if (work == TrashWork::puttingBack) panel.putBackTitle = "Putting back\u2026";
        if (work == TrashWork::emptying) panel.emptyTitle = "Emptying\u2026";
    }
    return panel;
}

// "3 locations", "part of 1 location", "3 locations and part of 1 more": a
// location a stop left partway gave bytes but was not removed.
std::string partlyRemovedText(std::int64_t whole, std::int64_t partly) {
    if (partly < 1) return countText(whole, "location");
    const std::string parts = partly == 1 ? "part of 1" : "parts of " + std::to_string(partly);
    if (whole < 1) return parts + (partly == 1 ? " location" : " locations");
    return countText(whole, "location") + " and " + parts + " more";
}

// What the run did, as it stands now: removed, put back since, or nothing at all.
void fillHeader(CompletionReportContent& sections, const CleanupReport& report) {
    SizeSum kept;
    SizeSum putBack;
    std::int64_t keptCount = 0;
    std::int64_t putBackCount = 0;
    std::int64_t partlyCount = 0;
    for (const CleanupOutcome& outcome : report.outcomes) {
        // What a stop left partway counts by what went of it, not as a location.
        if (!outcome.succeeded()) {
            kept += outcome.removedBytes;
            if (outcome.removedBytes > 0) ++partlyCount;
            continue;
        }
        if (outcome.putBack) {
            putBack += outcome.returnedBytes();
            ++putBackCount;
            // What did not come back (it left the Trash meanwhile) stayed removed.
            if (const std::int64_t missing = outcome.expectedBytes - outcome.returnedBytes(); missing > 0) {
                kept += missing;
                ++partlyCount;
            }
        } else {
            kept += outcome.expectedBytes;
            ++keptCount;
        }
    }
    if (keptCount == 0 && putBackCount == 0 && kept.total() == 0) {
        sections.symbol = "minus.circle";
        sections.title = "Nothing was removed";
        sections.accented = false;
        sections.showsFreed = false;
        sections.locations = CleanupTexts::nothingRemovedReason(report);
        return;
    }
    if (keptCount == 0 && kept.total() == 0) {
        sections.symbol = "arrow.uturn.backward.circle";
        sections.title = "Put back";
        sections.freedBytes = putBack.total();
        sections.locations = "returned to " + countText(putBackCount, "location");
        return;
    }
    // A stopped run is no success to tick off: what it removed still shows.
    sections.symbol = report.stopped ? "minus.circle" : "checkmark.circle.fill";
    sections.accented = !report.stopped;
    sections.title = report.stopped ? "Cleanup stopped" : "Cleanup complete";
    sections.freedBytes = kept.total();
    sections.locations = "removed from " + partlyRemovedText(keptCount, partlyCount);
    if (putBackCount > 0)
        sections.locations += " \u00B7 " + ByteFormat::string(putBack.total()) + " put back";
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
        // A picked file may be called anything: its row stays one line.
        panel.rows.push_back({outcome.candidateID, outcome.status == CleanupOutcome::Status::failed,
                              oneLineText(outcome.title), outcome.message});
    }
    return panel;
}

}  // namespace

double usedFraction(const VolumeInfo& volume) { return volume.usedFraction(); }

CompletionContent completionContent(const std::optional<CleanupReport>& report,
                                    const std::optional<std::string>& notice,
                                    const std::vector<CleanupOutcome>& inTrash,
                                    const ReportFollowUp& followUp, bool noticeIsProblem,
                                    TrashWork trashWork) {
    CompletionContent content;
    content.notice = notice;
    content.noticeIsProblem = notice && noticeIsProblem;
    if (!report) return content;
    CompletionReportContent sections;
    fillHeader(sections, *report);
    // Measured again once emptying the Trash changed it.
    const VolumeInfo& after = followUp.volumeNow ? *followUp.volumeNow : report->volumeAfter;
    const auto [freeBefore, freeAfter] =
        ByteFormat::alike(report->volumeBefore.availableCapacity, after.availableCapacity);
    sections.before = volumeColumn("Before", report->volumeBefore, freeBefore);
    sections.after = volumeColumn("After", after, freeAfter);
    const bool anyTrashed = std::any_of(report->outcomes.begin(), report->outcomes.end(), [](const auto& outcome) {
        return outcome.status == CleanupOutcome::Status::trashed;
    });
    if (anyTrashed) sections.trash = trashPanel(*report, inTrash, followUp, trashWork);
    sections.notRemoved = notRemovedPanel(*report);
    content.report = std::move(sections);
    return content;
}

}  // namespace korvane
