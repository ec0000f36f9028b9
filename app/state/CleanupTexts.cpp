#include "app/state/CleanupTexts.h"

#include <algorithm>
#include <cstdio>

#include "app/state/PlatformWords.h"
#include "core/model/ItemIdentity.h"
#include "core/model/SizeSum.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

std::string quoted(const std::string& name) { return "\u201C" + name + "\u201D"; }

std::string goneSentence(const std::vector<std::string>& gone) {
    if (gone.size() == 1) return quoted(gone.front()) + " is no longer there, so it is left out.";
    return std::to_string(gone.size()) + " of the chosen items are no longer there, so they are left out.";
}

std::string neverTouchedSentence(const std::vector<CleanupTexts::NeverTouched>& items) {
    const auto holding = std::count_if(items.begin(), items.end(),
                                       [](const CleanupTexts::NeverTouched& item) { return item.holds; });
    const std::string place = " a place you marked \u201CNever touch\u201D";
    if (items.size() == 1)
        return quoted(items.front().name) + (holding == 1 ? " holds" : " is in") + place +
               ", so it is left out.";
    const char* where = holding == 0                                           ? " are in"
                        : holding == static_cast<std::ptrdiff_t>(items.size()) ? " hold"
                                                                               : " are in or hold";
    return std::to_string(items.size()) + " of the chosen items" + where + place + ", so they are left out.";
}

std::string sentence(std::string text) {
    if (!text.empty() && text.back() != '.') text += '.';
    return text;
}

std::string itemCount(std::size_t count) { return std::to_string(count) + (count == 1 ? " item" : " items"); }

std::string refusedSentence(const std::vector<UserChoice::Refusal>& refused) {
    const bool allOutsideHome =
        std::all_of(refused.begin(), refused.end(),
                    [](const UserChoice::Refusal& refusal) { return refusal.outsideHome; });
    if (allOutsideHome) return "Korvane only removes files inside your home folder.";
    const UserChoice::Refusal& first = refused.front();
    if (refused.size() == 1) return "Korvane leaves " + quoted(first.name) + " alone: " + first.reason + ".";
    const bool oneReason =
        std::all_of(refused.begin(), refused.end(),
                    [&first](const UserChoice::Refusal& refusal) { return refusal.reason == first.reason; });
    const std::string count = std::to_string(refused.size());
    if (oneReason) return "Korvane leaves " + count + " of the chosen items alone: " + first.reason + ".";
    return "Korvane leaves " + count + " of the chosen items alone; " + quoted(first.name) + ": " +
           first.reason + ".";
}

// Items that came back with less than went: part of them left the Trash meanwhile.
std::string cameBackShortSentence(const RestoreEngine::Report& restored) {
    std::vector<const RestoreEngine::Outcome*> short_;
    for (const auto& outcome : restored.outcomes)
        if (outcome.status == RestoreEngine::Outcome::Status::restored && outcome.cameBack)
            short_.push_back(&outcome);
    if (short_.empty()) return {};
    const std::string rest = "; the rest was no longer in the Trash.";
    if (short_.size() > 1) return " " + itemCount(short_.size()) + " came back with less than went" + rest;
    const auto& [went, back] = ByteFormat::alike(short_.front()->bytes, *short_.front()->cameBack);
    return " " + quoted(short_.front()->title) + " came back with " + back + " of the " + went + " that went" + rest;
}

}  // namespace

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

std::vector<RestoreEngine::Outcome> CleanupTexts::notPutBack(const RestoreEngine::Report& restored,
                                                             const CleanupReport& report) {
    std::vector<RestoreEngine::Outcome> missed;
    for (const auto& outcome : restored.problems()) {
        const bool backEarlier = std::any_of(report.outcomes.begin(), report.outcomes.end(), [&](const auto& ours) {
            return ours.putBack && ours.candidateID == outcome.candidateID;
        });
        if (!backEarlier) missed.push_back(outcome);
    }
    return missed;
}

std::string CleanupTexts::putBackNotice(const RestoreEngine::Report& restored, const CleanupReport& report) {
    const auto count = restored.restoredCount();
    if (count == 0) {
        const auto problems = restored.problems();
        if (!problems.empty() && problems.front().message) return *problems.front().message;
        return "Nothing was left to put back.";
    }
    std::string text = "Put back " + ByteFormat::string(restored.restoredBytes()) + " across " +
                       std::to_string(count) + (count == 1 ? " location." : " locations.") +
                       cameBackShortSentence(restored);
    // A put back that left something in the Trash never reads as a whole one.
    const auto missed = notPutBack(restored, report);
    if (missed.empty()) return text;
    const auto& first = missed.front();
    const std::string reason = first.message.value_or("it could not be moved");
    if (missed.size() == 1) return text + " " + quoted(first.title) + " was not put back: " + sentence(reason);
    const bool oneReason = std::all_of(missed.begin(), missed.end(),
                                       [&first](const auto& outcome) { return outcome.message == first.message; });
    const std::string many = " " + itemCount(missed.size()) + " were not put back";
    if (oneReason) return text + many + ": " + sentence(reason);
    return text + many + "; " + quoted(first.title) + ": " + sentence(reason);
}

std::string CleanupTexts::neverTouchInGeneralMode(bool folder) {
    return std::string(folder ? "Never remove this or anything in it." : "Never remove this.") +
           " It stays in the folder scan, as it is on disk.";
}

std::string CleanupTexts::markedNeverTouchNotice(const std::string& name, bool folder) {
    return quoted(name) + " is marked Never touch: Korvane will not remove it" +
           (folder ? " or anything in it" : "") +
           ". It stays in the folder scan, as it is on disk. Settings \u203A Automation lists what is marked.";
}

std::string CleanupTexts::setAsideNotice(const std::vector<std::string>& names, const std::string& folder) {
    std::string listed;
    for (const std::string& name : names) listed += (listed.empty() ? "" : ", ") + quoted(name);
    const bool one = names.size() == 1;
    return std::string("Korvane could not use ") +
           (one ? "a record" : std::to_string(names.size()) + " records") +
           " of work that was cut off (damaged, or not written by this Korvane), so it changed nothing for " +
           (one ? "it" : "them") + " and set " + (one ? "it" : "them") + " aside in " +
           quoted(Paths::abbreviatingHome(folder)) + " as " + listed + ".";
}

std::string CleanupTexts::emptiedNotice(std::int64_t freedBytes, bool stopped,
                                        const std::vector<RestoreEngine::NotEmptied>& notEmptied) {
    std::string text;
    if (stopped) {
        const std::string rest = "the rest of Korvane's items are still in the Trash.";
        text = freedBytes < 1
                   ? "Emptying the Trash was stopped; " + rest
                   : "Emptied " + ByteFormat::string(freedBytes) + " from the Trash, then stopped; " + rest;
    } else if (freedBytes < 1) {
        text = notEmptied.empty() ? "There was nothing of Korvane's left in the Trash."
                                  : "Nothing was emptied from the Trash.";
    } else {
        text = "Emptied " + ByteFormat::string(freedBytes) + " from the Trash.";
    }
    if (notEmptied.empty()) return text;
    // Each item that stayed, in part or whole, is told with why and what is left.
    const auto& first = notEmptied.front();
    SizeSum left;
    for (const auto& item : notEmptied) left += item.leftBytes;
    const std::string still = " " + ByteFormat::string(left.total()) +
                              (notEmptied.size() == 1 ? " of it" : " of them") + " is still in the Trash.";
    if (notEmptied.size() == 1)
        return text + " " + quoted(first.item.title) +
               (first.removedBytes > 0 ? " was only partly removed: " : " was not removed: ") +
               sentence(first.reason) + still;
    const bool oneReason = std::all_of(notEmptied.begin(), notEmptied.end(),
                                       [&first](const auto& item) { return item.reason == first.reason; });
    const std::string many = " " + itemCount(notEmptied.size()) + " were not removed whole";
    if (oneReason) return text + many + ": " + sentence(first.reason) + still;
    return text + many + "; " + quoted(first.item.title) + ": " + sentence(first.reason) + still;
}

std::string CleanupTexts::nothingRemovedReason(const CleanupReport& report) {
    std::vector<CleanupOutcome> notRemoved = report.failures();
    const auto skipped = report.skippedOutcomes();
    notRemoved.insert(notRemoved.end(), skipped.begin(), skipped.end());
    if (notRemoved.empty()) return "Nothing was chosen to remove.";
    const auto& first = notRemoved.front().message;
    const bool oneReason =
        first && std::all_of(notRemoved.begin(), notRemoved.end(),
                             [&first](const CleanupOutcome& outcome) { return outcome.message == first; });
    if (!oneReason) return "Each item below says why it was not removed.";
    if (notRemoved.size() == 1) return sentence(*first);
    return "For each of the " + std::to_string(notRemoved.size()) + " items: " + sentence(*first);
}

std::string CleanupTexts::reportSummary(const CleanupReport& report) {
    std::vector<const CleanupOutcome*> kept;
    SizeSum keptBytes, trashed, putBack;
    // What a stop left partway gave bytes, though the item is still there.
    std::size_t partly = 0;
    for (const CleanupOutcome& outcome : report.outcomes) {
        if (!outcome.succeeded()) {
            keptBytes += outcome.removedBytes;
            if (outcome.removedBytes > 0) ++partly;
            continue;
        }
        if (outcome.putBack) {
            putBack += outcome.returnedBytes();
            // What did not come back (it left the Trash meanwhile) stayed removed.
            if (const std::int64_t missing = outcome.expectedBytes - outcome.returnedBytes(); missing > 0) {
                keptBytes += missing;
                ++partly;
            }
            continue;
        }
        kept.push_back(&outcome);
        keptBytes += outcome.expectedBytes;
        if (outcome.status == CleanupOutcome::Status::trashed) trashed += outcome.expectedBytes;
    }
    std::string text;
    if (kept.empty() && partly == 0 && putBack.total() < 1) {
        text = "Korvane removed nothing. " + nothingRemovedReason(report);
    } else if (kept.empty() && partly == 0) {
        text =
            "Korvane moved " + ByteFormat::string(putBack.total()) + " to the Trash and put all of it back.";
    } else {
        std::stable_sort(kept.begin(), kept.end(), [](const CleanupOutcome* a, const CleanupOutcome* b) {
            return a->expectedBytes > b->expectedBytes;
        });
        text = "Korvane removed " + ByteFormat::string(keptBytes.total()) + " from ";
        const std::string parts = partly == 1 ? "part of 1" : "parts of " + std::to_string(partly);
        if (kept.empty())
            text += parts + (partly == 1 ? " location" : " locations");
        else
            text += std::to_string(kept.size()) + (kept.size() == 1 ? " location" : " locations") +
                    (partly > 0 ? " and " + parts + " more" : "");
        for (std::size_t i = 0; i < kept.size() && i < 3; ++i)
            text += (i == 0 ? " \u2014 " : ", ") + kept[i]->title + " " +
                    ByteFormat::string(kept[i]->expectedBytes);
        if (kept.size() > 3) text += " and " + std::to_string(kept.size() - 3) + " more";
        text += ".";
        if (trashed.total() >= 1)
            text += " " + ByteFormat::string(trashed.total()) + " of it went to the Trash.";
        if (putBack.total() >= 1)
            text += " " + ByteFormat::string(putBack.total()) + " was put back afterwards.";
        const std::size_t notRemoved = report.failures().size() + report.skippedOutcomes().size();
        if (notRemoved > 0)
            text += " " + itemCount(notRemoved) + (notRemoved == 1 ? " was" : " were") + " not removed.";
    }
    if (report.volumeBefore.totalCapacity >= 1 && report.volumeAfter.totalCapacity >= 1) {
        const auto [before, after] =
            ByteFormat::alike(report.volumeBefore.availableCapacity, report.volumeAfter.availableCapacity);
        text += " Free space went from " + before + " to " + after + ".";
    }
    return text;
}

std::optional<std::string> CleanupTexts::leftOutNotice(const std::vector<std::string>& gone,
                                                       const std::vector<NeverTouched>& neverTouched,
                                                       const std::vector<UserChoice::Refusal>& refused,
                                                       const std::vector<std::string>& changed) {
    std::string line;
    if (!gone.empty()) line = goneSentence(gone);
    if (!changed.empty()) line += (line.empty() ? "" : " ") + ItemIdentity::changedNotice(changed);
    if (!neverTouched.empty()) line += (line.empty() ? "" : " ") + neverTouchedSentence(neverTouched);
    if (!refused.empty()) line += (line.empty() ? "" : " ") + refusedSentence(refused);
    if (line.empty()) return std::nullopt;
    return line;
}

}  // namespace korvane
