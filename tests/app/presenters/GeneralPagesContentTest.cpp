#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <tuple>

#include "app/presenters/ApplicationsContent.h"
#include "app/presenters/EntryListContent.h"
#include "app/presenters/GeneralSidebarContent.h"
#include "app/presenters/LargeFilesContent.h"
#include "app/presenters/RelativeDateText.h"
#include "app/presenters/SearchContent.h"
#include "app/state/PlatformWords.h"
#include "core/system/Paths.h"
#include "core/text/AsciiText.h"
#include "core/text/ByteFormat.h"
#include "core/text/RelativeDate.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;
using Entry = FileTreeScanner::Entry;

const Clock::time_point now = Clock::time_point(std::chrono::seconds(1'700'000'000));

Entry entry(const std::string& path, std::int64_t size, bool isDirectory = false) {
    return Entry::make(Paths::lastComponent(path), path, size, now - 24h * 3, isDirectory);
}

// ---- file lists -----------------------------------------------------------

// A file shows the symbol of its kind, as the canvases show it: every video
// is a film, every image a photo.
TEST(EntryListContent, SymbolsFollowTheExtensionAfterTheFolderTest) {
    struct Case {
        const char* name;
        bool isDirectory;
        const char* symbol;
    };
    for (const Case& c :
         {Case{"archive.TAR", false, "doc.zipper"}, Case{"notes", false, "doc"},
          Case{"drawing.svg", false, "photo"}, Case{"Photo.JPEG", false, "photo"},
          Case{"clip.m4v", false, "film"}, Case{"talk.webm", false, "film"}, Case{"song.flac", false, "waveform"},
          Case{"letter.odt", false, "doc"}, Case{"notes.txt", false, "doc.text"},
          Case{"paper.pdf", false, "doc.richtext"}, Case{"Tool.app", false, "app.badge"},
          Case{"Tool.app", true, "folder"}, Case{".zip", false, "doc"}, Case{"a.tar.gz", false, "doc.zipper"},
          Case{"debian-12-amd64-netinst.ISO", false, "opticaldisc"},
          Case{"system.img", false, "opticaldisc"}})
        EXPECT_EQ(entrySymbol(c.name, c.isDirectory), c.symbol) << c.name;
}

TEST(EntryListContent, RowsShowDataAsItIsWithTheHomeAsATilde) {
    testing::TempTree home;
    testing::ScopedEnv variable("HOME", home.root());
    Paths::reset();
    const EntryRowContent inside = entryRowContent(entry(home.root() + "/Movies/<img src=x>\nclip.mov", 5000), now);
    EXPECT_EQ(inside.name, "<img src=x>\nclip.mov");
    EXPECT_EQ(inside.parent, "~/Movies");
    EXPECT_EQ(inside.symbol, "film");
    EXPECT_EQ(inside.age, "3 days ago");
    EXPECT_EQ(inside.size, ByteFormat::string(5000));
    EXPECT_EQ(inside.wholePath, "~/Movies/<img src=x>\nclip.mov");
    // Only a leading home folder becomes "~".
    EXPECT_EQ(entryRowContent(entry("/srv" + home.root() + "/a.txt", 1), now).parent, "/srv" + home.root());
    Paths::reset();
}

TEST(EntryListContent, RelativeDatesInWholeUnits) {
    struct Case {
        Clock::duration ago;
        const char* text;
    };
    for (const Case& c :
         {Case{0s, "now"}, Case{10s, "10 seconds ago"}, Case{5min, "5 minutes ago"}, Case{1h, "1 hour ago"},
          Case{25h, "yesterday"}, Case{-25h, "tomorrow"}, Case{72h, "3 days ago"}, Case{24h * 8, "last week"},
          Case{24h * 21, "3 weeks ago"}, Case{24h * 45, "last month"}, Case{24h * 200, "6 months ago"},
          Case{24h * 400, "last year"}, Case{24h * 365 * 3, "3 years ago"}, Case{-24h * 3, "in 3 days"}})
        EXPECT_EQ(relativeDateText(now - c.ago, now), c.text) << c.text;
}

// The file lists, the inspector and the hover card word a date by one rule.
TEST(EntryListContent, RelativeDatesReadAsEverywhereElseAlsoFarAhead) {
    const auto utc = [](int year) {
        std::tm moment{};
        moment.tm_year = year - 1900;
        moment.tm_mday = 1;
        return std::chrono::system_clock::from_time_t(::timegm(&moment));
    };
    const auto today = utc(2027) + 24h * 40;
    for (const auto date : {utc(2100), utc(2110), today + 10s, today - 24h * 45, utc(1990), today})
        EXPECT_EQ(relativeDateText(date, today), AsciiText::lowercased(RelativeDate::string(date, today)));
    EXPECT_EQ(relativeDateText(utc(2100), today), "in 72 years");
}

TEST(EntryListContent, ActionBarCountsEveryTickButSumsAndHandsOnOnlyListedOnes) {
    const std::vector<Entry> entries = {entry("/d/a", 100), entry("/d/b", 200), entry("/d/c", 400)};
    EXPECT_FALSE(entryActionBar(entries, {}).isShown);

    EntryActionBar bar = entryActionBar(entries, {entries[2].id, entries[0].id});
    EXPECT_TRUE(bar.isShown);
    EXPECT_EQ(bar.count, "2 selected");
    EXPECT_EQ(bar.bytes, ByteFormat::string(500));
    ASSERT_EQ(bar.chosen.size(), 2u);
    EXPECT_EQ(bar.chosen[0].path, "/d/a");  // in list order
    EXPECT_EQ(bar.chosen[1].path, "/d/c");

    // A new list without them: still 2 ticked, nothing to sum or stage.
    bar = entryActionBar({entry("/e/x", 9)}, {entries[2].id, entries[0].id});
    EXPECT_EQ(bar.count, "2 selected");
    EXPECT_EQ(bar.bytes, ByteFormat::string(0));
    EXPECT_TRUE(bar.chosen.empty());
}

// What lies in a place marked "Never touch", or holds one, is not offered for
// removal: its row is marked and cannot be ticked.
TEST(EntryListContent, RowsInOrHoldingAPlaceMarkedNeverTouchAreMarked) {
    ScanSettings settings;
    settings.excludedPaths = {"/d/keep", "/d/box/inner"};
    const std::vector<Entry> entries = {entry("/d/keep", 1),     entry("/d/keep/a.bin", 2), entry("/d/keeper", 3),
                                        entry("/d/box", 4, true), entry("/d/other", 5)};
    const std::set<std::uint64_t> marked = neverTouchedEntries(entries, settings);
    EXPECT_EQ(marked, (std::set<std::uint64_t>{entries[0].id, entries[1].id, entries[3].id}));
    EXPECT_TRUE(neverTouchedEntries(entries, ScanSettings{}).empty());
}

TEST(EntryListContent, RemoveSaysAtOnceWhatLiesOutsideTheHome) {
    const std::vector<Entry> entries = {entry("/home/u/a", 100), entry("/home/u/b", 200),
                                        entry("/srv/c", 400), entry("/srv/d", 800),
                                        entry("/home/u/../v/e", 1)};
    struct Case {
        const char* name;
        std::vector<std::size_t> ticked;
        bool removeEnabled;
        std::optional<std::string> outsideHome;
    };
    const Case cases[] = {
        {"inside", {0, 1}, true, std::nullopt},
        {"one outside",
         {0, 2},
         true,
         "1 of the chosen items lies outside your home folder and will be left out."},
        {"two outside",
         {0, 2, 3},
         true,
         "2 of the chosen items lie outside your home folder and will be left out."},
        {"all outside", {2, 3}, false, "Korvane only removes files inside your home folder."},
        {"out by way of ..", {4}, false, "Korvane only removes files inside your home folder."},
    };
    for (const auto& c : cases) {
        std::set<std::uint64_t> ticked;
        for (const std::size_t index : c.ticked) ticked.insert(entries[index].id);
        const EntryActionBar bar = entryActionBar(entries, ticked, "/home/u");
        EXPECT_EQ(bar.removeEnabled, c.removeEnabled) << c.name;
        EXPECT_EQ(bar.outsideHome, c.outsideHome) << c.name;
    }
}

// ---- large files ----------------------------------------------------------

TEST(LargeFilesContent, EmptyStatesAndTotal) {
    LargeFilesContent content = largeFilesContent(false, {});
    EXPECT_FALSE(content.total);
    ASSERT_TRUE(content.emptyState);
    EXPECT_EQ(content.emptyState->title, "Scan a folder first");
    EXPECT_EQ(content.emptyState->message, "The largest files are collected during the scan.");

    content = largeFilesContent(true, {});
    EXPECT_FALSE(content.total);
    EXPECT_EQ(content.emptyState->symbol, "checkmark.seal");
    EXPECT_EQ(content.emptyState->title, "Nothing over 50 MB");
    // Both say the threshold the list is made with, as every size is printed.
    EXPECT_EQ(content.subtitle, "Everything over 50 MB, biggest first");
    for (const auto& [threshold, subtitle, nothing] :
         {std::tuple{52'428'800, "Everything over 52.4 MB, biggest first", "Nothing over 52.4 MB"},
          std::tuple{1'000'000'000, "Everything over 1 GB, biggest first", "Nothing over 1 GB"}}) {
        const LargeFilesContent other = largeFilesContent(true, {}, threshold);
        EXPECT_EQ(other.subtitle, subtitle);
        EXPECT_EQ(other.emptyState->title, nothing);
    }

    content = largeFilesContent(true, {entry("/a", 60'000'000), entry("/b", 52'428'800)});
    EXPECT_TRUE(content.showsList);
    EXPECT_FALSE(content.emptyState);
    EXPECT_EQ(content.total, ByteFormat::string(112'428'800));
}

// ---- search ---------------------------------------------------------------

TEST(SearchContent, EmptyStatesInOrderAndTheCountBadge) {
    FileSearch::Query query;
    struct Case {
        const char* what;
        bool hasResult;
        std::size_t index;
        FileSearch::Query query;
        std::size_t results;
        std::optional<std::string> title;
        std::optional<std::string> badge;
    };
    FileSearch::Query typed;
    typed.text = "zz";
    FileSearch::Query blanks;
    blanks.text = "   ";
    FileSearch::Query kindOnly;
    kindOnly.kind = FileKind::images;
    FileSearch::Query sizeOnly;
    sizeOnly.minimumBytes = 10'000'000;
    FileSearch::Query ageOnly;
    ageOnly.withinDays = 7;
    FileSearch::Query flagsOnly;
    flagsOnly.searchesPaths = true;
    flagsOnly.isRegex = true;
    FileSearch::Query invalid;
    invalid.text = "(abc";
    invalid.isRegex = true;
    for (const Case& c : {
             Case{"no scan", false, 0, typed, 0, "Scan a folder first", "0"},
             Case{"results", true, 10, typed, 3, std::nullopt, "3"},
             Case{"empty index", true, 0, query, 0, "Start typing", std::nullopt},
             Case{"blanks", true, 0, blanks, 0, "Start typing", "0"},
             Case{"typed, none", true, 10, typed, 0, "Nothing matches", "0"},
             Case{"kind", true, 10, kindOnly, 0, "Nothing matches", std::nullopt},
             Case{"size", true, 10, sizeOnly, 0, "Nothing matches", std::nullopt},
             Case{"age", true, 10, ageOnly, 0, "Nothing matches", std::nullopt},
             Case{"flags alone", true, 0, flagsOnly, 0, "Start typing", std::nullopt},
             Case{"invalid pattern", true, 10, invalid, 0, "Invalid pattern", "0"},
             Case{"invalid pattern, no scan", false, 0, invalid, 0, "Scan a folder first", "0"},
         }) {
        const SearchContent content = searchContent(c.hasResult, c.index, c.query, c.results);
        EXPECT_EQ(content.countBadge, c.badge) << c.what;
        EXPECT_EQ(content.showsList, !c.title.has_value()) << c.what;
        EXPECT_EQ(content.emptyState ? std::optional(content.emptyState->title) : std::nullopt, c.title) << c.what;
    }
    EXPECT_EQ(searchContent(true, 250000, query, 0).emptyState->message, "Search 250,000 indexed items by name.");
    // Nothing found says what search never holds: small files, a hard link's other names.
    EXPECT_EQ(
        searchContent(true, 10, typed, 0).emptyState->message,
        "Try a shorter term, or widen the filters. Search looks only at files and folders of 66 KB and more in "
        "the last scan, and finds a file with several names (hard links) by the first of them in path order.");
    // Not "Try a shorter term": the pattern itself is wrong, and the message says where.
    EXPECT_EQ(searchContent(true, 10, invalid, 0).emptyState->message,
              "Missing closing parenthesis, at the end of the pattern.");
    EXPECT_EQ(patternErrorText({"quantifier does not follow a repeatable item", 0, false}),
              "Quantifier does not follow a repeatable item, at character 1 of the pattern.");
    EXPECT_EQ(searchContent(false, 0, query, 0).emptyState->message,
              "Search runs over what the last scan found, so it is instant.");
}

TEST(SearchContent, PickersShowAndSetTheQuery) {
    EXPECT_EQ(searchSizeChoiceIndex(0), 0u);
    EXPECT_EQ(searchSizeChoiceIndex(1'000'000'000), 3u);
    EXPECT_FALSE(searchSizeChoiceIndex(5));
    EXPECT_EQ(searchAgeChoiceIndex(std::nullopt), 0u);
    EXPECT_EQ(searchAgeChoiceIndex(0), 0u);
    EXPECT_EQ(searchAgeChoiceIndex(31), 2u);
    EXPECT_FALSE(searchAgeChoiceIndex(30));
    // "Any age" stores no limit, not 0.
    EXPECT_FALSE(searchAgeChoices()[0].withinDays.has_value());
    EXPECT_STREQ(searchSizeChoices()[2].title, "Over 100 MB");
    EXPECT_STREQ(searchAgeChoices()[3].title, "Last year");
}

// Each picker narrows the results; the page counts them as the search gives them.
TEST(SearchContent, ResultCountsForEachPicker) {
    std::vector<Entry> index = {
        Entry::make("holiday.jpg", "/h/Pictures/holiday.jpg", 20'000'000, now - 24h * 2, false),
        Entry::make("old.jpg", "/h/Pictures/old.jpg", 200'000, now - 24h * 400, false),
        Entry::make("movie.mkv", "/h/Movies/movie.mkv", 2'000'000'000, now - 24h * 20, false),
        Entry::make("notes.txt", "/h/Documents/notes.txt", 70'000, now - 24h * 100, false),
        Entry::make("Tool.app", "/h/Applications/Tool.app", 150'000'000, now - 24h * 5, true),
    };
    const auto count = [&](const FileSearch::Query& query) {
        return FileSearch::run(query, index, FileSearch::Sort::size, 500, now).size();
    };
    struct Case {
        const char* what;
        std::function<void(FileSearch::Query&)> set;
        std::size_t count;
    };
    for (const Case& c : {
             Case{"nothing set", [](auto&) {}, 5},
             Case{"kind images", [](auto& q) { q.kind = FileKind::images; }, 2},
             Case{"kind applications", [](auto& q) { q.kind = FileKind::apps; }, 1},
             Case{"over 10 MB", [](auto& q) { q.minimumBytes = searchSizeChoices()[1].minimumBytes; }, 3},
             Case{"over 1 GB", [](auto& q) { q.minimumBytes = searchSizeChoices()[3].minimumBytes; }, 1},
             Case{"last week", [](auto& q) { q.withinDays = searchAgeChoices()[1].withinDays; }, 2},
             Case{"last year", [](auto& q) { q.withinDays = searchAgeChoices()[3].withinDays; }, 4},
             Case{"name", [](auto& q) { q.text = "OLD"; }, 1},
             Case{"paths", [](auto& q) { q.text = "pictures"; q.searchesPaths = true; }, 2},
             Case{"regex", [](auto& q) { q.text = "^(holiday|movie)\\."; q.isRegex = true; }, 2},
             Case{"bad regex", [](auto& q) { q.text = "("; q.isRegex = true; }, 0},
         }) {
        FileSearch::Query query;
        c.set(query);
        const std::size_t found = count(query);
        EXPECT_EQ(found, c.count) << c.what;
        const SearchContent content = searchContent(true, index.size(), query, found);
        EXPECT_EQ(content.showsList, found > 0) << c.what;
        if (!query.text.empty()) {
            EXPECT_EQ(content.countBadge, std::to_string(found)) << c.what;
        }
    }
}

// ---- applications ---------------------------------------------------------

InstalledApp app(const std::string& name, std::int64_t bundle, std::vector<std::int64_t> leftovers = {},
                 std::optional<int> daysUnused = std::nullopt) {
    InstalledApp result;
    result.name = name;
    result.bundleURL = "/Applications/" + name + ".app";
    result.bundleIdentifier = "com.example." + name;
    result.bundleBytes = bundle;
    if (daysUnused) result.lastUsed = now - 24h * *daysUnused - 1h;
    int i = 0;
    for (const std::int64_t bytes : leftovers)
        result.leftovers.push_back({"/h/Library/Caches/" + name + std::to_string(i++), bytes, "Caches", name});
    return result;
}

TEST(ApplicationsContent, FilterByNameOnly) {
    const std::vector<InstalledApp> apps = {app("Xcode", 1), app("Notes", 1), app("XQuartz", 1)};
    struct Case {
        const char* filter;
        std::vector<std::string> names;
    };
    for (const Case& c : {Case{"", {"Xcode", "Notes", "XQuartz"}}, Case{" \t ", {"Xcode", "Notes", "XQuartz"}},
                          Case{"xcode", {"Xcode"}}, Case{"  x ", {"Xcode", "XQuartz"}},
                          Case{"com.example", {}}, Case{"x\n", {}}}) {
        std::vector<std::string> names;
        for (const auto& shown : filteredApps(apps, c.filter)) names.push_back(shown.name);
        EXPECT_EQ(names, c.names) << c.filter;
    }
}

TEST(ApplicationsContent, RowsShowLeftoversAndMonthsUnused) {
    struct Case {
        InstalledApp app;
        std::optional<std::string> leftBehind;
        std::optional<std::string> age;
    };
    for (const Case& c : {
             Case{app("Plain", 1000), std::nullopt, std::nullopt},
             // The total holds what was left behind: the row says which part of it.
             Case{app("Messy", 1000, {300, 200}), ByteFormat::string(500) + " of it left behind", std::nullopt},
             Case{app("Ninety", 1000, {}, 90), std::nullopt, std::nullopt},
             Case{app("NinetyOne", 1000, {}, 91), std::nullopt, "3mo"},
             Case{app("Old", 1000, {}, 400), std::nullopt, "13mo"},
         }) {
        const AppRowContent row = appRowContent(c.app, now);
        EXPECT_EQ(row.total, ByteFormat::string(c.app.totalBytes())) << c.app.name;
        EXPECT_EQ(row.leftBehind, c.leftBehind) << c.app.name;
        EXPECT_EQ(row.age, c.age) << c.app.name;
    }
}

TEST(ApplicationsContent, DetailFactsLeftoversAndUninstall) {
    AppDetailContent detail = appDetailContent(app("Messy", 1000, {300, 200}, 61), true, now);
    ASSERT_EQ(detail.facts.size(), 4u);
    EXPECT_EQ(detail.facts[1].label, "Left behind");
    EXPECT_EQ(detail.facts[1].tint, AppFact::Tint::amber);
    EXPECT_EQ(detail.facts[2].value, ByteFormat::string(1500));
    EXPECT_EQ(detail.facts[3].value, "61 days ago");
    EXPECT_EQ(detail.leftoversHeader, "2 items \u00b7 " + ByteFormat::string(500));
    ASSERT_EQ(detail.leftovers.size(), 2u);
    EXPECT_TRUE(detail.leftovers[0].hasDivider);
    EXPECT_FALSE(detail.leftovers[1].hasDivider);
    EXPECT_EQ(detail.uninstallTitle, "Uninstall " + ByteFormat::string(1500));
    EXPECT_EQ(appDetailContent(app("Messy", 1000, {300, 200}), false, now).uninstallTitle,
              "Uninstall " + ByteFormat::string(500));

    detail = appDetailContent(app("Clean", 1000, {}, 60), false, now);
    ASSERT_EQ(detail.facts.size(), 3u);  // no "Left behind"
    EXPECT_EQ(detail.facts[2].value, "recently");
    EXPECT_EQ(detail.leftoversHeader, "0 items \u00b7 " + ByteFormat::string(0));
    EXPECT_EQ(detail.uninstallTitle, "Uninstall " + ByteFormat::string(0));
    EXPECT_FALSE(detail.uninstallEnabled);
    EXPECT_EQ(appDetailContent(app("One", 1000, {7}), true, now).leftoversHeader,
              "1 item \u00b7 " + ByteFormat::string(7));
}

// The note under the uninstall tells what the review it opens will do: with
// "Always delete" chosen nothing goes to the Trash, so none of it comes back.
TEST(ApplicationsContent, TheNoteFollowsHowTheReviewRemoves) {
    InstalledApp flatpak = app("Painter", 1000, {300});
    flatpak.packaging = AppUninstaller::Packaging::flatpakUser;
    const struct {
        InstalledApp app;
        std::optional<Disposal> disposal;
        std::string_view note;
    } cases[] = {
        {app("Viewer", 1000, {300}), std::nullopt, platformWords::systemManagedNote},
        {app("Viewer", 1000, {300}), Disposal::trash, platformWords::systemManagedNote},
        {app("Viewer", 1000, {300}), Disposal::delete_, platformWords::deletedNote},
        {flatpak, std::nullopt, platformWords::flatpakNote},
        {flatpak, Disposal::trash, platformWords::flatpakNote},
        {flatpak, Disposal::delete_, platformWords::flatpakDeletedNote},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.app.name + (c.disposal ? std::string(rawValue(*c.disposal)) : "recommended"));
        EXPECT_EQ(appDetailContent(c.app, true, now, c.disposal).note, c.note);
    }
    EXPECT_EQ(applicationsPageContent({}, false, "", std::nullopt, "", Disposal::delete_).disposalOverride,
              Disposal::delete_);
}

TEST(ApplicationsContent, PageStatesSelectionAndTheFirstScan) {
    const std::vector<InstalledApp> apps = {app("Alpha", 1), app("Beta", 1)};
    ApplicationsPageContent page = applicationsPageContent({}, true, "", std::nullopt, "");
    EXPECT_TRUE(page.showsLooking);
    EXPECT_FALSE(page.footer);
    EXPECT_FALSE(page.refreshEnabled);
    EXPECT_FALSE(page.detail);

    page = applicationsPageContent(apps, true, "Beta \u2014 2 of 2", std::nullopt, "");
    EXPECT_FALSE(page.showsLooking);
    EXPECT_EQ(page.footer, "Beta \u2014 2 of 2");
    EXPECT_EQ(page.detail->name, "Alpha");  // the first row, not highlighted
    EXPECT_FALSE(page.selectedRow);

    page = applicationsPageContent(apps, false, "", apps[1], "");
    EXPECT_EQ(page.selectedRow, 1u);
    EXPECT_EQ(page.detail->name, "Beta");
    // The selection stays in the pane while the filter hides its row.
    page = applicationsPageContent(apps, false, "", apps[1], "alp");
    EXPECT_FALSE(page.selectedRow);
    EXPECT_EQ(page.detail->name, "Beta");
    page = applicationsPageContent(apps, false, "", std::nullopt, "zzz");
    EXPECT_TRUE(page.rows.empty());
    EXPECT_FALSE(page.detail);

    EXPECT_TRUE(applicationsPageShouldScan({}, false));
    EXPECT_FALSE(applicationsPageShouldScan({}, true));
    EXPECT_FALSE(applicationsPageShouldScan(apps, false));
}

// The pane without an application says why: none found, or the filter hides those found.
TEST(ApplicationsContent, AnEmptyListSaysWhetherNothingWasFoundOrTheFilterHidesIt) {
    const struct {
        std::vector<InstalledApp> apps;
        std::string filter;
        std::string title;
        std::string message;
    } cases[] = {
        {{}, "", "No applications found",
         "Korvane looks for AppImages in the Applications, Apps and .local/bin folders of your home, and for "
         "Flatpak applications."},
        {{}, "zzz", "No applications found",
         "Korvane looks for AppImages in the Applications, Apps and .local/bin folders of your home, and for "
         "Flatpak applications."},
        {{app("Alpha", 1), app("Beta", 1)}, " zzz ", "Nothing matches \u201Czzz\u201D",
         "No name holds that text. Clear the filter to see the 2 applications found."},
        {{app("Alpha", 1)}, "(*[\\\nx", "Nothing matches \u201C(*[\\\u23CEx\u201D",
         "No name holds that text. Clear the filter to see the 1 application found."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        const ApplicationsPageContent page = applicationsPageContent(c.apps, false, "", std::nullopt, c.filter);
        EXPECT_TRUE(page.rows.empty());
        EXPECT_EQ(page.noApplications.title, c.title);
        EXPECT_EQ(page.noApplications.message, c.message);
    }
}

TEST(ApplicationsContent, TheListColumnGivesWayOnANarrowPage) {
    // The page beside the general sidebar in a window of 1440, 1024 and 720 pixels, and between.
    struct Case {
        double page;
        double list;
    };
    for (const Case c : {Case{1192, 320}, Case{776, 320}, Case{700, 244}, Case{600, 180}, Case{472, 180},
                         Case{0, 180}}) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(appListColumnWidth(c.page), c.list);
        // The detail pane keeps its room until the list is as narrow as a row can be read.
        if (c.list > appListMinimumWidth) {
            EXPECT_GE(c.page - 1 - c.list, appDetailRoomWidth);
        }
    }
    // Rows whose figures need more room than a readable row keep the list that wide, up to its full width.
    struct Need {
        double page;
        double rowsNeed;
        double list;
    };
    for (const Need c :
         {Need{472, 226, 226}, Need{700, 226, 244}, Need{700, 260, 260}, Need{472, 400, 320}}) {
        SCOPED_TRACE(std::to_string(c.page) + " " + std::to_string(c.rowsNeed));
        EXPECT_EQ(appListColumnWidth(c.page, c.rowsNeed), c.list);
    }
}

// ---- sidebar --------------------------------------------------------------

GeneralSidebarContent sidebarOf(const AppState& state, const VolumeInfo& volume) {
    return generalSidebarContent(state.folderScan(), state.navigation().generalSection(),
                                 state.applications().apps().size(), state.liveStats().stats(), volume);
}

TEST(GeneralSidebarContent, IdleScanningAndTheLastScan) {
    testing::AppStateHarness harness;
    auto state = harness.make();
    const VolumeInfo volume(1000, 400);

    GeneralSidebarContent content = sidebarOf(*state, volume);
    EXPECT_EQ(content.primaryTitle, "Scan Home folder");
    EXPECT_TRUE(content.primaryEnabled);
    EXPECT_TRUE(content.folderEnabled);
    EXPECT_EQ(content.secondaryTitle, "Rescan");
    EXPECT_EQ(content.secondarySymbol, "arrow.clockwise");
    EXPECT_FALSE(content.progressCounts);
    EXPECT_FALSE(content.thisScan);
    ASSERT_EQ(content.pages.size(), 5u);
    EXPECT_EQ(content.pages[0].title, "Disk usage");
    EXPECT_TRUE(content.pages[0].isSelected);
    for (const auto& page : content.pages) EXPECT_FALSE(page.count) << page.title;
    EXPECT_EQ(content.diskUsed.value, ByteFormat::string(600));
    EXPECT_EQ(content.diskFree.value, ByteFormat::string(400));
    EXPECT_EQ(content.gauge.percentText, "60%");
    const GeneralSidebarContent reserved = sidebarOf(*state, VolumeInfo(1000, 300, 200));
    EXPECT_EQ(reserved.diskUsed.value, ByteFormat::string(200));
    EXPECT_EQ(reserved.gauge.percentText, "40%");
    ASSERT_GE(content.live.size(), 2u);
    EXPECT_EQ(content.live[0].title, "CPU");
    EXPECT_EQ(content.live[1].title, "Memory");

    state->folderScan().setIsScanningFolder(true);
    state->folderScan().setGeneralProgress({1234567, 5'000'000, harness.home.root() + "/Projects/deep"});
    state->navigation().setGeneralSection(AppState::GeneralSection::apps);
    content = sidebarOf(*state, volume);
    EXPECT_EQ(content.primaryTitle, "Scanning\u2026");
    EXPECT_FALSE(content.primaryEnabled);
    EXPECT_FALSE(content.folderEnabled);
    EXPECT_EQ(content.secondaryTitle, "Stop");
    EXPECT_EQ(content.secondarySymbol, "stop.fill");
    EXPECT_EQ(content.progressCounts, "1,234,567 files \u00b7 " + ByteFormat::string(5'000'000));
    EXPECT_EQ(content.progressPath, "~/Projects/deep");
    EXPECT_TRUE(content.pages[3].isSelected);

    FileTreeScanner::Result result;
    result.root.bytes = 7'000'000;
    result.fileCount = 12345;
    result.folderCount = 67;
    result.duration = 3.44;
    result.largest = {entry("/a", 60'000'000), entry("/b", 55'000'000)};
    state->folderScan().setIsScanningFolder(false);
    state->folderScan().setGeneralResult(result);
    state->folderScan().setScanRoot(harness.home.root() + "/Work");
    state->applications().setApps({app("One", 1), app("Two", 1), app("Three", 1)});
    content = sidebarOf(*state, volume);
    ASSERT_TRUE(content.thisScan);
    EXPECT_EQ(content.thisScan->duration, "3.4s");
    EXPECT_EQ(content.thisScan->path, "~/Work");
    EXPECT_EQ(content.thisScan->total.value, ByteFormat::string(7'000'000));
    EXPECT_EQ(content.thisScan->files.value, "12,345");
    EXPECT_EQ(content.thisScan->folders.value, "67");
    EXPECT_EQ(content.pages[2].count, "2");
    EXPECT_EQ(content.pages[3].count, "3");
    EXPECT_FALSE(content.pages[1].count);

    // A scan that found no large file shows no count, not "0".
    result.largest.clear();
    state->folderScan().setGeneralResult(result);
    EXPECT_FALSE(sidebarOf(*state, volume).pages[2].count);
}

TEST(GeneralSidebarContent, MeterBarsClampTheirFillAndWarn) {
    EXPECT_EQ(wholePercentText(0.999), "99%");
    testing::AppStateHarness harness;
    auto state = harness.make();
    // The fixture machine has 1000 kB and nothing in use: the bar keeps its 1 % minimum.
    const GeneralSidebarContent content = sidebarOf(*state, {});
    EXPECT_EQ(content.live[1].barFraction, 0.01);
    EXPECT_EQ(content.live[1].tint, GaugeTint::accent);
    EXPECT_EQ(content.gauge.percentText, "0%");
    EXPECT_EQ(content.diskTotal.value, ByteFormat::string(0));
}

}  // namespace
}  // namespace korvane
