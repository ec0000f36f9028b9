#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/state/UserChoice.h"
#include "core/model/CleanupReport.h"
#include "core/model/ScanResult.h"
#include "core/safety/RestoreEngine.h"

namespace korvane {

// The texts around a cleanup: the shareable summaries of the scan and of a
// cleanup, the line on what staging left out, why a run removed nothing, and
// the notices after putting items back or emptying them from the Trash.
struct CleanupTexts {
    CleanupTexts() = delete;

    // A chosen item that lies in, or holds, a place marked "Never touch".
    struct NeverTouched {
        std::string name;
        bool holds = false;  // it holds such a place rather than lying in one
    };

    static constexpr const char* summaryCopied = "Summary copied.";
    // Shown over a cleanup that a crash or a kill cut off, at the next start.
    static constexpr const char* cutOffNotice =
        "Korvane ended before this cleanup was done. This is what it had done; History keeps it too.";
    // On the cleaning screen at a start while what such a cleanup (or a put back) did is worked out.
    static constexpr const char* checkingCutOff = "Checking a cleanup that was cut off\u2026";
    // Records of cut-off work that could not be used, named once as they are set aside in `folder`.
    static std::string setAsideNotice(const std::vector<std::string>& names, const std::string& folder);
    // What "Never touch this" does in general mode, where the folder scan
    // keeps showing what is marked; and the answer to pressing it there. A
    // file has nothing in it to speak of.
    static std::string neverTouchInGeneralMode(bool folder);
    static std::string markedNeverTouchNotice(const std::string& name, bool folder);
    // "Empty" found more in the Trash than its button named, and removed nothing.
    static constexpr const char* trashChangedNotice =
        "What Korvane left in the Trash changed since it was measured, so nothing was emptied. "
        "\u201CEmpty\u201D now names what it holds.";
    // Staging was asked for nothing: the ticked items are not in the list on show.
    static constexpr const char* nothingChosen = "None of the ticked items is in this list now.";

    // One paragraph naming the reclaimable total and the three categories
    // with the most to reclaim.
    static std::string shareSummary(const std::optional<ScanResult>& scan);
    // The items of a put back that did not come back, leaving out those an
    // earlier put back of `report` already returned.
    static std::vector<RestoreEngine::Outcome> notPutBack(const RestoreEngine::Report& restored,
                                                          const CleanupReport& report);
    // What was put back and what was not, else the first problem's message,
    // else that nothing was left.
    static std::string putBackNotice(const RestoreEngine::Report& restored, const CleanupReport& report);
    // `stopped`: the window closed while it ran, and what was not reached is still in the Trash.
    // `notEmptied`: the items it could not remove whole, each with why and what is left.
    static std::string emptiedNotice(std::int64_t freedBytes, bool stopped = false,
                                     const std::vector<RestoreEngine::NotEmptied>& notEmptied = {});
    // One paragraph on a cleanup: what stayed removed and from where, what
    // went to the Trash or came back from it, what was not removed, and the
    // free space before and after.
    static std::string reportSummary(const CleanupReport& report);
    // Why a run in which nothing was removed removed nothing, as one sentence.
    static std::string nothingRemovedReason(const CleanupReport& report);
    // One line on what staging left out: chosen items no longer there or no
    // longer the items the scan saw, those marked "Never touch", then those
    // the safety check refuses and why. Nothing when it left nothing out.
    static std::optional<std::string> leftOutNotice(const std::vector<std::string>& gone,
                                                    const std::vector<NeverTouched>& neverTouched,
                                                    const std::vector<UserChoice::Refusal>& refused,
                                                    const std::vector<std::string>& changed = {});
};

}  // namespace korvane
