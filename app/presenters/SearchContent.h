#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/presenters/EmptyStateText.h"
#include "core/explorer/FileSearch.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

// What the search page shows around its results.
struct SearchContent {
    // The result count beside the field, while the field holds any text, and
    // how a screen reader reads it ("76 results").
    std::optional<std::string> countBadge;
    std::optional<std::string> countSpoken;
    // The list, or else this empty state.
    bool showsList = false;
    std::optional<EmptyStateText> emptyState;

    friend bool operator==(const SearchContent&, const SearchContent&) = default;
};

// "Missing closing parenthesis, at the end of the pattern.": the library's
// words, and where in the text (characters counted from 1).
std::string patternErrorText(const FileSearch::PatternError& error);

// What search covers, said where it finds nothing: the scan's index holds
// only files of a size, each once.
std::string searchCoverage();

// `indexCount` and `resultCount` count the last scan's index and the results
// of the query; without a scan result there is nothing to search, and a
// pattern that does not compile says why instead of finding nothing.
SearchContent searchContent(bool hasResult, std::size_t indexCount, const FileSearch::Query& query,
                            std::size_t resultCount);

// The size picker's choices, in order, and which one shows a minimum size
// (none when the value is not a choice).
struct SearchSizeChoice {
    const char* title;
    std::int64_t minimumBytes;
};
const std::array<SearchSizeChoice, 4>& searchSizeChoices();
std::optional<std::size_t> searchSizeChoiceIndex(std::int64_t minimumBytes);

// The age picker's choices; "Any age" is no limit at all.
struct SearchAgeChoice {
    const char* title;
    std::optional<int> withinDays;
};
const std::array<SearchAgeChoice, 4>& searchAgeChoices();
std::optional<std::size_t> searchAgeChoiceIndex(std::optional<int> withinDays);

}  // namespace korvane
