#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/state/ReportFollowUp.h"
#include "core/model/CleanupReport.h"
#include "core/model/UUID.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// One side of the before-and-after panel.
struct VolumeColumn {
    std::string title;  // "Before", "After"
    std::string free;   // "18.4 GB free"
    double usedFraction = 0;

    friend bool operator==(const VolumeColumn&, const VolumeColumn&) = default;
};

// What still lies in the Trash, with the means to put it back or empty it.
struct TrashPanel {
    std::string headline;  // "5.6 GB can still be put back", "Nothing left to put back"
    std::string explanation;
    // What "Empty" removes: every item of Korvane's still in the Trash, over
    // every stored cleanup, not only this one's ("Empty 113.9 MB").
    std::string emptyTitle;
    std::string putBackTitle = "Put it back";
    // Some item of this cleanup is still in the Trash, and nothing else runs on the Trash.
    bool canPutBack = false;
    // Some item of Korvane's is still in the Trash, and nothing else runs on the Trash.
    bool canEmpty = false;

    friend bool operator==(const TrashPanel&, const TrashPanel&) = default;
};

struct NotRemovedRow {
    UUID candidateID;
    bool failed = false;  // else skipped
    std::string title;
    std::optional<std::string> message;

    friend bool operator==(const NotRemovedRow&, const NotRemovedRow&) = default;
};

struct NotRemovedPanel {
    std::string heading;  // counts every item, shown or not
    std::vector<NotRemovedRow> rows;

    friend bool operator==(const NotRemovedPanel&, const NotRemovedPanel&) = default;
};

// The sections a finished cleanup's report fills.
struct CompletionReportContent {
    // The header: what the run did, as it stands now.
    std::string symbol;      // "checkmark.circle.fill"; "minus.circle" when nothing was removed
    std::string title;       // "Cleanup complete", "Cleanup stopped", "Nothing was removed", "Put back"
    bool accented = true;    // drawn in the accent colour: something was removed or put back
    bool showsFreed = true;  // the byte headline; not when nothing was removed
    std::int64_t freedBytes = 0;
    // "removed from 3 locations"; why nothing was removed; "returned to 1 location".
    std::string locations;
    VolumeColumn before;
    VolumeColumn after;
    std::optional<TrashPanel> trash;             // only when something went to the Trash
    std::optional<NotRemovedPanel> notRemoved;   // only when something was not removed

    friend bool operator==(const CompletionReportContent&, const CompletionReportContent&) = default;
};

// What the completion screen shows.
struct CompletionContent {
    static constexpr int notRemovedShown = 6;

    std::optional<CompletionReportContent> report;
    std::optional<std::string> notice;
    // The notice tells of something refused or failed: a warning, not a tick.
    bool noticeIsProblem = false;

    friend bool operator==(const CompletionContent&, const CompletionContent&) = default;
};

// The share of the volume in use, within 0...1; 0 for a volume of no size.
double usedFraction(const VolumeInfo& volume);

// `inTrash` holds the report's outcomes whose items still lie in the Trash
// (CleanupReport::restorableInTrash). The Trash panel tells what the Trash
// holds now, not what the run put there: once the items were put back or
// emptied nothing is left to put back. "Empty" follows what `followUp` knows
// of Korvane's items in the Trash over every cleanup; until that is
// measured it is offered without a size, disabled. While a put back or an
// emptying runs, neither is offered, and the running one says so.
CompletionContent completionContent(const std::optional<CleanupReport>& report,
                                    const std::optional<std::string>& notice,
                                    const std::vector<CleanupOutcome>& inTrash,
                                    const ReportFollowUp& followUp = {}, bool noticeIsProblem = false,
                                    TrashWork trashWork = TrashWork::none);

}  // namespace korvane
