#include "app/state/CleanupTexts.h"

#include <algorithm>
#include <cstdio>

#include "app/state/PlatformWords.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

std::string quoted(const std::string& name) { return "\u201C" + name + "\u201D"; }

std::string goneSentence(const std::vector<std::string>& gone) {
    if (gone.size() == 1) return quoted(gone.front()) + " is no longer there, so it is left out.";
    return std::to_string(gone.size()) + " of the chosen items are no longer there, so they are left out.";
}

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

std::optional<std::string> CleanupTexts::leftOutNotice(const std::vector<std::string>& gone,
                                                       const std::vector<UserChoice::Refusal>& refused) {
    std::string line;
    if (!gone.empty()) line = goneSentence(gone);
    if (!refused.empty()) line += (line.empty() ? "" : " ") + refusedSentence(refused);
    if (line.empty()) return std::nullopt;
    return line;
}

}  // namespace korvane
