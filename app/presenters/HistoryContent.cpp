#include "app/presenters/HistoryContent.h"

#include <algorithm>
#include <iterator>

#include "app/presenters/CountText.h"
#include "core/text/AbbreviatedDate.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

std::optional<std::string> trend(const std::vector<HistoryStore::Snapshot>& snapshots) {
    if (snapshots.size() < 2) return std::nullopt;
    const HistoryStore::Snapshot& first = snapshots.front();
    const HistoryStore::Snapshot& last = snapshots.back();
    if (first.date == last.date) return std::nullopt;
    // Stored negative sizes count as 0, which also keeps the difference in range.
    const std::int64_t change = std::max<std::int64_t>(last.developerStorage, 0) -
                                std::max<std::int64_t>(first.developerStorage, 0);
    const std::string direction = change < 0 ? "Down " + ByteFormat::string(-change) : "Up " + ByteFormat::string(change);
    return direction + " since " + AbbreviatedDate::string(first.date);
}

std::optional<std::string> putBackMark(const CleanupReport& report) {
    if (!report.wasPutBack()) return std::nullopt;
    const std::int64_t kept = report.keptFreedBytes();
    if (kept < 1) return "\u00b7 all put back";
    return "\u00b7 " + ByteFormat::string(report.freedBytes() - kept) + " put back";
}

// Every item once: what went whole, what went in part (also when it then
// failed or was stopped), what failed and what was not touched at all.
std::string summary(const CleanupReport& report) {
    std::int64_t removed = 0, partly = 0, failed = 0, notRemoved = 0;
    for (const CleanupOutcome& outcome : report.outcomes) {
        if (outcome.succeeded())
            ++removed;
        else if (outcome.removedBytes > 0)
            ++partly;
        else if (outcome.status == CleanupOutcome::Status::failed)
            ++failed;
        else
            ++notRemoved;
    }
    std::string text = countText(removed + partly, "item");
    if (partly > 0)
        text += removed == 0 ? " \u00b7 partly removed" : " \u00b7 " + std::to_string(partly) + " partly removed";
    if (failed > 0) text += " \u00b7 " + std::to_string(failed) + " failed";
    if (notRemoved > 0) text += " \u00b7 " + std::to_string(notRemoved) + " not removed";
    return text;
}

PastCleanupRow row(const CleanupReport& report) {
    return {AbbreviatedDate::withTime(report.date), summary(report), ByteFormat::string(report.keptFreedBytes()),
            putBackMark(report)};
}

}  // namespace

HistoryContent historyContent(const std::vector<HistoryStore::Snapshot>& stored,
                              const std::vector<CleanupReport>& reports, std::int64_t totalFreed,
                              std::chrono::system_clock::time_point now) {
    // A day that has not come yet would set the trend against today's scan.
    std::vector<HistoryStore::Snapshot> snapshots;
    std::copy_if(stored.begin(), stored.end(), std::back_inserter(snapshots),
                 [now](const HistoryStore::Snapshot& snapshot) { return snapshot.date <= now; });
    HistoryContent content;
    content.points.reserve(snapshots.size());
    for (const HistoryStore::Snapshot& snapshot : snapshots)
        content.points.push_back(
            {snapshot.date, static_cast<double>(std::max<std::int64_t>(snapshot.developerStorage, 0)) / 1e9});
    content.trend = trend(snapshots);
    if (!reports.empty()) {
        PastCleanups past;
        past.total = ByteFormat::string(totalFreed) + " total";
        const std::size_t shown = std::min(reports.size(), PastCleanups::shown);
        for (std::size_t index = 0; index < shown; ++index) past.rows.push_back(row(reports[index]));
        content.pastCleanups = std::move(past);
    }
    return content;
}

}  // namespace korvane
