#include "app/presenters/SearchContent.h"

#include "app/presenters/CountText.h"
#include "core/text/ByteFormat.h"

namespace korvane {

std::string patternErrorText(const FileSearch::PatternError& error) {
    std::string message = error.message;
    if (!message.empty() && message.front() >= 'a' && message.front() <= 'z')
        message.front() = static_cast<char>(message.front() - 'a' + 'A');
    if (error.atEnd) return message + ", at the end of the pattern.";
    return message + ", at character " +
           ByteFormat::groupedInteger(static_cast<std::int64_t>(error.offset) + 1) + " of the pattern.";
}

std::string searchCoverage() {
    const FileTreeScanner::Options scan;
    return "Search looks only at files and folders of " + ByteFormat::string(scan.indexThreshold) +
           " and more in the last scan, and finds a file with several names (hard links) by the first of them "
           "in path order.";
}

SearchContent searchContent(bool hasResult, std::size_t indexCount, const FileSearch::Query& query,
                            std::size_t resultCount) {
    SearchContent content;
    if (!query.text.empty()) {
        content.countBadge = std::to_string(resultCount);
        content.countSpoken = countText(static_cast<std::int64_t>(resultCount), "result");
    }
    if (!hasResult) {
        content.emptyState = EmptyStateText{"magnifyingglass", "Scan a folder first",
                                            "Search runs over what the last scan found, so it is instant."};
    } else if (const auto error = FileSearch::patternError(query)) {
        content.emptyState =
            EmptyStateText{"exclamationmark.triangle.fill", "Invalid pattern", patternErrorText(*error)};
    } else if (resultCount > 0) {
        content.showsList = true;
    } else if (query.isEmpty()) {
        content.emptyState =
            EmptyStateText{"questionmark.folder", "Start typing",
                           "Search " + ByteFormat::groupedInteger(static_cast<std::int64_t>(indexCount)) +
                               " indexed items by name."};
    } else {
        content.emptyState = EmptyStateText{"questionmark.folder", "Nothing matches",
                                            "Try a shorter term, or widen the filters. " + searchCoverage()};
    }
    return content;
}

const std::array<SearchSizeChoice, 4>& searchSizeChoices() {
    static constexpr std::array<SearchSizeChoice, 4> choices = {{
        {"Any size", 0},
        {"Over 10 MB", 10'000'000},
        {"Over 100 MB", 100'000'000},
        {"Over 1 GB", 1'000'000'000},
    }};
    return choices;
}

std::optional<std::size_t> searchSizeChoiceIndex(std::int64_t minimumBytes) {
    for (std::size_t i = 0; i < searchSizeChoices().size(); ++i)
        if (searchSizeChoices()[i].minimumBytes == minimumBytes) return i;
    return std::nullopt;
}

const std::array<SearchAgeChoice, 4>& searchAgeChoices() {
    static const std::array<SearchAgeChoice, 4> choices = {{
        {"Any age", std::nullopt},
        {"Last week", 7},
        {"Last month", 31},
        {"Last year", 365},
    }};
    return choices;
}

std::optional<std::size_t> searchAgeChoiceIndex(std::optional<int> withinDays) {
    // No limit and a limit of 0 days both show as "Any age".
    const int days = withinDays.value_or(0);
    for (std::size_t i = 0; i < searchAgeChoices().size(); ++i)
        if (searchAgeChoices()[i].withinDays.value_or(0) == days) return i;
    return std::nullopt;
}

}  // namespace korvane
