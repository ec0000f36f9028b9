#include "app/presenters/HistoryContent.h"

#include <algorithm>

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

PastCleanupRow row(const CleanupReport& report) {
    const auto removed = std::count_if(report.outcomes.begin(), report.outcomes.end(),
                                       [](const CleanupOutcome& outcome) { return outcome.succeeded(); });
    std::string summary = countText(removed, "item");
    // An item a stop left partway gave some bytes but was not removed.
    const auto partly = std::count_if(report.outcomes.begin(), report.outcomes.end(),
                                      [](const CleanupOutcome& outcome) { return outcome.removedBytes > 0; });
    if (partly > 0) summary += " \u00b7 " + std::to_string(partly) + " partly removed";
    if (const std::size_t failed = report.failures().size(); failed > 0)
        summary += " \u00b7 " + std::to_string(failed) + " failed";
    return {AbbreviatedDate::withTime(report.date), summary, ByteFormat::string(report.keptFreedBytes()),
            putBackMark(report)};
}

}  // namespace

HistoryContent historyContent(const std::vector<HistoryStore::Snapshot>& snapshots,
                              const std::vector<CleanupReport>& reports, std::int64_t totalFreed) {
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
