#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <vector>

#include "core/explorer/FileSearch.h"

namespace korvane {
namespace {

using Entry = FileTreeScanner::Entry;
using Query = FileSearch::Query;
using Sort = FileSearch::Sort;
using Clock = std::chrono::system_clock;

const Clock::time_point now = Clock::time_point(std::chrono::seconds(1'700'000'000));

Clock::time_point daysAgo(double days) {
    return now - std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(days * 86400.0));
}

Entry entry(const std::string& path, std::int64_t size, double ageDays = 1, bool isDirectory = false) {
    std::string name = path.substr(path.rfind('/') + 1);
    return Entry::make(name, path, size, daysAgo(ageDays), isDirectory);
}

std::vector<std::string> names(const std::vector<Entry>& entries) {
    std::vector<std::string> result;
    for (const Entry& e : entries) result.push_back(e.name);
    return result;
}

// Every query runs over the plain list and over a prepared index; both must agree.
std::vector<std::string> search(const Query& query, const std::vector<Entry>& entries, Sort sort = Sort::size,
                                int limit = 500) {
    const auto plain = FileSearch::run(query, entries, sort, limit, now);
    const FileSearch::Index index(entries);
    EXPECT_EQ(FileSearch::run(query, index, sort, limit, now), plain) << query.text;
    return names(plain);
}

Query text(const std::string& value) {
    Query query;
    query.text = value;
    return query;
}

const std::vector<Entry>& sample() {
    static const std::vector<Entry> entries = {
        entry("/home/u/Pictures/holiday.png", 3000, 2),
        entry("/home/u/Pictures/PHOTO.JPG", 9000, 10),
        entry("/home/u/Movies/film.mkv", 800000, 30),
        entry("/home/u/Documents/report.pdf", 5000, 6),
        entry("/home/u/Documents/Report-2.txt", 500, 8),
        entry("/home/u/Applications/Tool.app", 200000, 3, true),
        entry("/home/u/Frameworks/Kit.framework", 100000, 3, true),
        entry("/home/u/odd/pictures.png", 7000, 3, true),
        entry("/home/u/backups/backup.tar.gz", 60000, 40),
        entry("/home/u/src/main.rs", 700, 0.5),
        entry("/home/u/.zshrc", 100, 100),
    };
    return entries;
}

TEST(FileSearchTest, QueryDefaultsEmptinessAndFilters) {
    Query query;
    EXPECT_EQ(query.text, "");
    EXPECT_EQ(query.kind, FileKind::any);
    EXPECT_EQ(query.minimumBytes, 0);
    EXPECT_FALSE(query.withinDays.has_value());
    EXPECT_FALSE(query.searchesPaths);
    EXPECT_FALSE(query.isRegex);
    EXPECT_TRUE(query.isEmpty());
    EXPECT_FALSE(query.hasFilters());

    query.text = " \t ";
    query.searchesPaths = true;
    query.isRegex = true;
    EXPECT_TRUE(query.isEmpty());
    EXPECT_TRUE(query.hasFilters());

    Query sized;
    sized.minimumBytes = 1;
    EXPECT_FALSE(sized.isEmpty());
    EXPECT_TRUE(sized.hasFilters());
    Query dated;
    dated.withinDays = 3;
    EXPECT_FALSE(dated.isEmpty());
    EXPECT_TRUE(dated.hasFilters());
    Query kinded;
    kinded.kind = FileKind::video;
    EXPECT_FALSE(kinded.isEmpty());
    EXPECT_TRUE(kinded.hasFilters());
    EXPECT_FALSE(text("x").isEmpty());
    EXPECT_FALSE(text("x").hasFilters());
    EXPECT_EQ(text("x"), text("x"));
    EXPECT_NE(text("x"), text("y"));
}

TEST(FileSearchTest, EmptyQueryKeepsEverythingSortedAndCut) {
    auto all = search(Query(), sample());
    ASSERT_EQ(all.size(), sample().size());
    EXPECT_EQ(all.front(), "film.mkv");
    EXPECT_EQ(all.back(), ".zshrc");
    EXPECT_EQ(search(Query(), sample(), Sort::size, 2), (std::vector<std::string>{"film.mkv", "Tool.app"}));
    EXPECT_TRUE(search(Query(), sample(), Sort::size, 0).empty());
    EXPECT_TRUE(search(Query(), sample(), Sort::size, -3).empty());
    EXPECT_EQ(search(text("   "), sample()).size(), sample().size());
    Query blankPattern = text("  ");
    blankPattern.isRegex = true;
    EXPECT_EQ(search(blankPattern, sample()).size(), sample().size());
}

TEST(FileSearchTest, TextMatchesNamesOrPathsIgnoringCase) {
    EXPECT_EQ(search(text("REPORT"), sample()), (std::vector<std::string>{"report.pdf", "Report-2.txt"}));
    EXPECT_EQ(search(text("  report \t"), sample()).size(), 2u);
    EXPECT_TRUE(search(text("documents"), sample()).empty());
    Query paths = text("documents");
    paths.searchesPaths = true;
    EXPECT_EQ(search(paths, sample()), (std::vector<std::string>{"report.pdf", "Report-2.txt"}));
    // Inner spaces are part of the text.
    EXPECT_TRUE(search(text("report pdf"), sample()).empty());
}

// The text test skips to the places a match could start, and a pattern is
// skipped on names that lack what the pattern itself says every match needs
// (its first letter when anchored, a letter it requires, a shortest length):
// each case here must still find exactly the names listed.
TEST(FileSearchTest, ShortcutsNeverLoseAMatch) {
    const std::vector<Entry> entries = {
        entry("/d/aaab", 60),          entry("/d/Xyz.JPEG", 50),   entry("/d/img_7.HEIC", 40),
        entry("/d/_under_score", 30), entry("/d/ends-with-Q", 20), entry("/d/q", 10),
    };
    struct Case {
        std::string text;
        bool isRegex;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"aab", false, {"aaab"}},                // a candidate overlapping the first one
        {"AAAB", false, {"aaab"}},               // the whole name
        {"_score", false, {"_under_score"}},     // a first byte that is not a letter
        {"-q", false, {"ends-with-Q"}},          // at the very end, other case
        {"^IMG", true, {"img_7.HEIC"}},          // anchored, first letter in the other case
        {"^[x_]", true, {"Xyz.JPEG", "_under_score"}},
        {"y.*z\\.jpe?g$", true, {"Xyz.JPEG"}},  // required letters in the other case
        {"(?-i)Q$", true, {"ends-with-Q"}},      // a case-sensitive required letter
        {"^.$", true, {"q"}},                    // shortest length 1
        {"^.{6}$", true, {}},
        {"score|heic", true, {"img_7.HEIC", "_under_score"}},
    };
    for (const Case& c : cases) {
        Query query = text(c.text);
        query.isRegex = c.isRegex;
        EXPECT_EQ(search(query, entries), c.expected) << c.text;
    }
}

TEST(FileSearchTest, KindFilters) {
    Query query;
    query.kind = FileKind::images;
    // A directory named like an image is never an image.
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"PHOTO.JPG", "holiday.png"}));
    query.kind = FileKind::apps;
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"Tool.app"}));
    query.kind = FileKind::folders;
    EXPECT_EQ(search(query, sample()),
              (std::vector<std::string>{"Tool.app", "Kit.framework", "pictures.png"}));
    query.kind = FileKind::archives;
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"backup.tar.gz"}));
    query.kind = FileKind::code;
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"main.rs"}));
    query.kind = FileKind::documents;
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"report.pdf", "Report-2.txt"}));
    query.kind = FileKind::audio;
    EXPECT_TRUE(search(query, sample()).empty());
}

TEST(FileSearchTest, SizeAndAgeFilters) {
    Query big;
    big.minimumBytes = 9000;
    EXPECT_EQ(search(big, sample()).size(), 5u);  // inclusive
    Query recent;
    recent.withinDays = 7;
    auto kept = search(recent, sample());
    EXPECT_NE(std::find(kept.begin(), kept.end(), "report.pdf"), kept.end());    // six days old
    EXPECT_EQ(std::find(kept.begin(), kept.end(), "Report-2.txt"), kept.end());  // eight days old
    std::vector<Entry> edge = {entry("/x/exactly", 1, 7), entry("/x/newer", 1, 6.999)};
    EXPECT_EQ(search(recent, edge, Sort::size), (std::vector<std::string>{"exactly", "newer"}));
    // Day counts far beyond any date neither overflow nor drop old entries.
    recent.withinDays = std::numeric_limits<int>::max();
    EXPECT_EQ(search(recent, sample()).size(), sample().size());
    recent.withinDays = std::numeric_limits<int>::min();
    EXPECT_TRUE(search(recent, sample()).empty());
}

TEST(FileSearchTest, FiltersCombine) {
    Query query = text("o");
    query.kind = FileKind::documents;
    query.minimumBytes = 1000;
    query.withinDays = 7;
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"report.pdf"}));
    query.isRegex = true;
    query.text = "^r.*\\.PDF$";
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"report.pdf"}));
    query.searchesPaths = true;
    EXPECT_TRUE(search(query, sample()).empty());  // the path starts with "/"
    query.text = "documents/r";
    EXPECT_EQ(search(query, sample()), (std::vector<std::string>{"report.pdf"}));
    // An invalid pattern gives nothing, whatever the other filters.
    Query invalid = text("[abc");
    invalid.isRegex = true;
    EXPECT_TRUE(search(invalid, sample()).empty());
    invalid.text = "(unclosed";
    EXPECT_TRUE(search(invalid, sample()).empty());
}

TEST(FileSearchTest, SortsAreStable) {
    std::vector<Entry> entries = {
        entry("/a/file10", 5, 3),  entry("/a/File2", 5, 1), entry("/a/file1", 9, 3),
        entry("/a/file02b", 1, 2), entry("/a/apple", 1, 5),
    };
    EXPECT_EQ(search(Query(), entries, Sort::size),
              (std::vector<std::string>{"file1", "file10", "File2", "file02b", "apple"}));
    EXPECT_EQ(search(Query(), entries, Sort::name),
              (std::vector<std::string>{"apple", "file1", "File2", "file02b", "file10"}));
    EXPECT_EQ(search(Query(), entries, Sort::modified),
              (std::vector<std::string>{"File2", "file02b", "file10", "file1", "apple"}));
    EXPECT_EQ(search(Query(), entries, Sort::name, 2), (std::vector<std::string>{"apple", "file1"}));

    // Many equal keys: a cut list is exactly the head of the stable order.
    std::vector<Entry> many;
    for (int i = 0; i < 300; ++i) many.push_back(entry("/m/n" + std::to_string(i), i % 3, 1));
    auto cut = FileSearch::run(Query(), many, Sort::size, 50, now);
    ASSERT_EQ(cut.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(cut[static_cast<std::size_t>(i)].name, "n" + std::to_string(2 + 3 * i));
}

TEST(FileSearchTest, NaturalNameOrder) {
    EXPECT_LT(FileSearch::compareNames("file2", "file10"), 0);
    EXPECT_GT(FileSearch::compareNames("file10", "file2"), 0);
    EXPECT_EQ(FileSearch::compareNames("Report", "report"), 0);
    EXPECT_LT(FileSearch::compareNames("a", "B"), 0);
    EXPECT_LT(FileSearch::compareNames("x9", "x9a"), 0);
    EXPECT_LT(FileSearch::compareNames("v1.9", "v1.10"), 0);
    EXPECT_LT(FileSearch::compareNames("99999999999999999999998", "99999999999999999999999"), 0);
    EXPECT_EQ(FileSearch::compareNames("\xc3\x89t\xc3\xa9", "\xc3\xa9T\xc3\xa9"), 0);  // Été, éTé
    EXPECT_NE(FileSearch::compareNames("bad\xff", "bad\xfe"), 0);
    EXPECT_EQ(FileSearch::compareNames("", ""), 0);
    // Accented letters sort with their base letter, not after "z"; the
    // accent only decides between names that are otherwise the same.
    EXPECT_LT(FileSearch::compareNames("\xc3\x89t\xc3\xa9 2023", "Fable"), 0);                  // Été
    EXPECT_GT(FileSearch::compareNames("\xc3\x89t\xc3\xa9 2023", "Dune"), 0);
    EXPECT_LT(FileSearch::compareNames("\xc5\x81\xc3\xb3" "d\xc5\xba", "Madrid"), 0);             // Łódź
    EXPECT_LT(FileSearch::compareNames("Stra\xc3\x9f" "e", "Strauss"), 0);  // Straße
    EXPECT_LT(FileSearch::compareNames("ete", "\xc3\xa9t\xc3\xa9"), 0);
    EXPECT_LT(FileSearch::compareNames("\xc3\xa9t\xc3\xa9", "etf"), 0);
    EXPECT_EQ(FileSearch::compareNames("\xc5\x81\xc3\xb3" "d\xc5\xba", "\xc5\x82\xc3\x93" "D\xc5\xb9"), 0);  // case only
    EXPECT_LT(FileSearch::compareNames("", "a"), 0);
}

TEST(FileSearchTest, PreparedNameOrderIsTheStableOrderOfTheComparison) {
    const std::vector<std::string> tricky = {
        "file10", "file2", "File2", "file02", "file002x", "file2x", "a", "B", "", "x9", "x9a", "v1.10", "v1.9",
        "99999999999999999999999", "99999999999999999999998", "0", "00", "007", "7", "\xc3\x89t\xc3\xa9",
        "\xc3\xa9T\xc3\xa9", "ete", "etf", "Fable", "Dune", "\xc5\x81\xc3\xb3" "d\xc5\xba", "Madrid",
        "Stra\xc3\x9f" "e", "Strauss", "bad\xff", "bad\xfe", "bad", "\xe6\x97\xa5\xe6\x9c\xac", "\xf0\x9f\x98\x80",
        "a b", "a-b", "a_b", "a.b", "a/b", "A1b", "a01B", "\xc3\xbf", "z", "\xc3\xbf" "9", "9\xc3\xbf", "[x]", "~",
    };
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < 3; ++i)
        for (const auto& name : tricky) entries.push_back(Entry::make(name, "/d" + std::to_string(i) + "/" + name, 1, now, false));
    std::vector<std::size_t> expected(entries.size());
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
        return FileSearch::compareNames(entries[a].name, entries[b].name) < 0;
    });
    const FileSearch::Index index(entries);
    const auto found = FileSearch::run(Query(), index, Sort::name, 10000, now);
    ASSERT_EQ(found.size(), entries.size());
    for (std::size_t k = 0; k < found.size(); ++k) EXPECT_EQ(found[k], entries[expected[k]]) << k;
    // The same list, fewer wanted: the first ones of that order.
    EXPECT_EQ(FileSearch::run(Query(), index, Sort::name, 5, now),
              std::vector<Entry>(found.begin(), found.begin() + 5));
    EXPECT_TRUE(FileSearch::run(Query(), FileSearch::Index(), Sort::name, 5, now).empty());
}

TEST(FileSearchTest, HostilePatternsEndQuicklyWithoutAMatch) {
    const std::string hostile = std::string(5000, 'a') + "!";
    Query query = text("(a+)+$");
    query.isRegex = true;
    std::vector<Entry> one = {entry("/x/" + hostile, 10), entry("/x/caa", 5)};
    // The hostile name does not match; the other name still does.
    EXPECT_EQ(search(query, one), (std::vector<std::string>{"caa"}));

    // After a handful of hostile names the pattern is given up.
    std::vector<Entry> many;
    for (int i = 0; i < 200; ++i) many.push_back(entry("/x/" + hostile + std::to_string(i), 10));
    many.push_back(entry("/x/aaa", 5));
    EXPECT_TRUE(search(query, many).empty());

    Query nested = text("(x+x+)+y");
    nested.isRegex = true;
    EXPECT_TRUE(search(nested, {entry("/x/" + std::string(3000, 'x'), 1)}).empty());
}

TEST(FileSearchTest, NamesThatAreNotUtf8StillMatch) {
    std::vector<Entry> entries = {
        entry("/x/caf\xff\xfe.txt", 10),
        entry("/x/CAF\xc3\x89-menu.txt", 20),  // CAFÉ-menu.txt
        entry("/x/cafe.txt", 30),
    };
    Query pattern = text("^caf");
    pattern.isRegex = true;
    EXPECT_EQ(search(pattern, entries).size(), 3u);
    pattern.text = "\\.TXT$";
    EXPECT_EQ(search(pattern, entries).size(), 3u);
    // Invalid bytes are never matched by a pattern item.
    pattern.text = "caf.+\\.txt";
    EXPECT_EQ(search(pattern, entries), (std::vector<std::string>{"cafe.txt", "CAF\xc3\x89-menu.txt"}));
    // Non-ASCII text folds case across scripts.
    EXPECT_EQ(search(text("caf\xc3\xa9"), entries), (std::vector<std::string>{"CAF\xc3\x89-menu.txt"}));
    EXPECT_EQ(search(text("CAF"), entries).size(), 3u);
    // Invalid bytes in the text itself: matched byte for byte.
    EXPECT_EQ(search(text("\xff\xfe"), entries), (std::vector<std::string>{"caf\xff\xfe.txt"}));
    Query badPattern = text("caf\xff");
    badPattern.isRegex = true;
    EXPECT_TRUE(search(badPattern, entries).empty());
}

// A pattern that does not compile says why and where, in characters of
// the text as typed (before any trimming); anything else has no error.
TEST(FileSearchTest, PatternErrorsSayWhatAndWhere) {
    using Error = FileSearch::PatternError;
    const struct {
        const char* text;
        bool isRegex;
        std::optional<Error> error;
    } cases[] = {
        {"(abc", true, Error{"missing closing parenthesis", 4, true}},
        {"caf\xc3\xa9(", true, Error{"missing closing parenthesis", 5, true}},
        {"  a{3,1}", true, Error{"numbers out of order in {} quantifier", 7, false}},
        {"caf\xff", true, Error{"UTF-8 error: illegal byte (0xfe or 0xff)", 3, false}},
        {"a(b)c", true, std::nullopt},
        {"(abc", false, std::nullopt},
        {"   ", true, std::nullopt},
    };
    for (const auto& c : cases) {
        Query query = text(c.text);
        query.isRegex = c.isRegex;
        EXPECT_EQ(FileSearch::patternError(query), c.error) << c.text;
    }
}

TEST(FileSearchTest, KindsAndSortTexts) {
    EXPECT_EQ(FileSearch::classify("backup.tar.gz", false), FileKind::archives);
    EXPECT_EQ(FileSearch::classify("PHOTO.JPG", false), FileKind::images);
    EXPECT_EQ(FileSearch::classify("Safari.app", true), FileKind::apps);
    EXPECT_EQ(FileSearch::classify("src", true), FileKind::folders);
    EXPECT_EQ(FileSearch::classify(".zshrc", false), FileKind::any);
    EXPECT_EQ(FileSearch::classify("Makefile", false), FileKind::any);
    EXPECT_EQ(FileSearch::classify("notes", false), FileKind::any);
    static_assert(std::is_same_v<FileSearch::Kind, FileKind>);

    ASSERT_EQ(FileSearch::allSorts().size(), 3u);
    EXPECT_EQ(FileSearch::allSorts()[0], Sort::size);
    EXPECT_EQ(FileSearch::title(Sort::size), "Largest first");
    EXPECT_EQ(FileSearch::title(Sort::name), "Name");
    EXPECT_EQ(FileSearch::title(Sort::modified), "Newest first");
    for (Sort sort : FileSearch::allSorts())
        EXPECT_EQ(FileSearch::sortFromRawValue(FileSearch::rawValue(sort)), sort);
    EXPECT_EQ(FileSearch::rawValue(Sort::modified), "modified");
    EXPECT_FALSE(FileSearch::sortFromRawValue("Size").has_value());
}

}  // namespace
}  // namespace korvane
