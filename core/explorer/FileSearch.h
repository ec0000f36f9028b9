#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/FileKind.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

// Searches the index of the last folder scan in memory: by text or regular
// expression, file kind, minimum size and age, sorted and cut to a limit.
// Nothing here touches the disk.
class FileSearch {
public:
    FileSearch() = delete;

    using Kind = FileKind;
    using Entry = FileTreeScanner::Entry;

    static Kind classify(std::string_view name, bool isDirectory) {
        return classifyFileKind(name, isDirectory);
    }

    enum class Sort { size, name, modified };

    struct Query {
        std::string text;       // words or pattern to look for
        Kind kind = Kind::any;  // required file kind
        std::int64_t minimumBytes = 0;
        std::optional<int> withinDays;  // only entries modified within this many days
        bool searchesPaths = false;     // match the full path instead of the name
        bool isRegex = false;           // the text is a regular expression

        // Blank text (spaces and tabs), any kind, no size and no age filter.
        bool isEmpty() const;
        // A path search, a pattern, a size, an age or a kind is set.
        bool hasFilters() const;
        bool operator==(const Query&) const = default;
    };

    // The entries of one folder scan with each sort's order worked out once,
    // so that a query neither sorts nor compares names: it marks what
    // matches and takes the first `limit` of them in the order it wants.
    class Index {
    public:
        Index() = default;
        explicit Index(std::vector<Entry> entries);

        const std::vector<Entry>& entries() const { return entries_; }

    private:
        friend class FileSearch;
        std::vector<Entry> entries_;
        std::array<std::vector<std::uint32_t>, 3> orders_;  // entry positions, one list per sort
        std::vector<std::uint8_t> kinds_;                   // each entry's kind, so a kind filter reads no name
    };

    // Why a query's pattern does not compile, in the regular-expression
    // library's words, and where: `offset` characters into the text (the
    // text's end when `atEnd`).
    struct PatternError {
        std::string message;
        std::size_t offset = 0;
        bool atEnd = false;
        bool operator==(const PatternError&) const = default;
    };
    // None unless the query is a pattern with text that does not compile.
    static std::optional<PatternError> patternError(const Query& query);

    // Matching entries in index order, stably sorted, at most `limit`. A
    // pattern that does not compile gives the empty list. A pattern that
    // needs too much work on a name does not match that name, and after a
    // few such names it matches nothing more, so a hostile pattern cannot
    // stall the search.
    static std::vector<Entry> run(const Query& query, const std::vector<Entry>& entries, Sort sort,
                                  int limit);
    // The same, with the moment `withinDays` counts back from.
    static std::vector<Entry> run(const Query& query, const std::vector<Entry>& entries, Sort sort, int limit,
                                  std::chrono::system_clock::time_point now);
    // The same over a prepared index: what the application keeps per scan.
    static std::vector<Entry> run(const Query& query, const Index& index, Sort sort, int limit);
    static std::vector<Entry> run(const Query& query, const Index& index, Sort sort, int limit,
                                  std::chrono::system_clock::time_point now);

    // Names in the order people expect: case-insensitive, runs of digits
    // compared by value ("file2" before "file10"). Negative, 0 or positive.
    static int compareNames(std::string_view a, std::string_view b);

    static const std::array<Sort, 3>& allSorts();
    static std::string_view rawValue(Sort sort);
    static std::optional<Sort> sortFromRawValue(std::string_view text);
    static std::string_view title(Sort sort);
};

}  // namespace korvane
