// The age map and its month grid over a real folder scan, where most files
// are folded into remainders and folders far below the tree's depth: every
// byte must count by its own file's date, as if each file were a leaf.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "app/canvases/layout/AgeMapLayout.h"
#include "app/canvases/layout/MonthGridLayout.h"
#include "app/canvases/layout/StrataLayout.h"
#include "core/explorer/FileTreeScanner.h"
#include "tests/app/canvases/layout/CanvasTrees.h"
#include "tests/support/LocalTimeFixture.h"

namespace korvane {
namespace {

using testing::TempTree;

class ScannedAgesTest : public testing::LocalTimeFixture {
protected:
    static void setTime(const std::string& path, TimePoint when) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
    }

    // One dated leaf for every entry below `root` and for `root` itself: the
    // tree the scan's picture must match.
    static StorageNode leafPerEntry(const std::string& root) {
        StorageNode tree = canvastest::folder("reference", {});
        const auto add = [&](const std::string& path) {
            struct stat st {};
            ASSERT_EQ(::lstat(path.c_str(), &st), 0) << path;
            tree.children.push_back(
                canvastest::datedLeaf(path, static_cast<std::int64_t>(st.st_blocks) * 512,
                                      std::chrono::system_clock::from_time_t(st.st_mtim.tv_sec)));
            tree.bytes += tree.children.back().bytes;
        };
        add(root);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            add(entry.path().string());
        return tree;
    }
};

TEST_F(ScannedAgesTest, EveryByteOfFoldedFilesAndFoldersCountsByItsOwnDate) {
    const TimePoint now = local(2024, 3, 12, 15, 30);  // two days after New York's spring change
    TempTree tree;
    struct Entry {
        std::string path;
        std::size_t bytes;
        TimePoint when;
    };
    // Each age bucket's edge on both sides of now's time of day, a month's
    // last and first minutes, years long past, the future, and a folder made
    // long ago with one file touched today.
    const std::vector<Entry> files{
        {"today.txt", 3000, local(2024, 3, 12, 9)},
        {"big.bin", 100'000, local(2019, 6, 30, 23, 59)},
        {"top/kept.bin", 120'000, local(2024, 3, 4, 16, 30)},
        {"top/second.bin", 100'000, local(2024, 3, 4, 14, 30)},
        {"top/week-a.txt", 5000, local(2024, 3, 4, 16, 30)},
        {"top/week-b.txt", 6000, local(2024, 3, 4, 14, 30)},
        {"top/month-a.txt", 7000, local(2024, 2, 10, 16)},
        {"top/month-b.txt", 8000, local(2024, 2, 10, 15)},
        {"top/later.txt", 9000, local(2024, 3, 12, 18)},
        {"top/other/x.bin", 80'000, local(2023, 12, 10, 16)},
        {"top/other/y.txt", 1000, local(2023, 3, 12, 14)},
        {"top/letters/a.odt", 30'000, local(2021, 3, 1, 12)},
        {"top/letters/b.odt", 30'000, local(2021, 3, 1, 12)},
        {"top/letters/new.odt", 2000, local(2024, 3, 12, 10)},
        {"top/letters/deep/c.txt", 50'000, local(2022, 3, 11, 16)},
        {"top/letters/deep/d.txt", 40'000, local(2022, 3, 11, 15)},
        {"top/letters/deep/e.txt", 40'000, local(2019, 7, 1, 0, 1)},
        {"top/letters/deep/deeper/f.txt", 70'000, local(2022, 2, 28, 23, 30)},
    };
    for (const Entry& f : files) {
        tree.file(f.path, f.bytes);
        setTime(tree.path(f.path), f.when);
    }
    tree.symlink("top/link", "kept.bin");
    setTime(tree.path("top/link"), local(2024, 1, 5, 12));
    // Folders last, deepest first: their contents changed their dates.
    for (const auto& [folder, when] :
         std::vector<std::pair<std::string, TimePoint>>{{"top/letters/deep/deeper", local(2019, 8, 1, 8)},
                                                        {"top/letters/deep", local(2022, 3, 11, 16)},
                                                        {"top/letters", local(2021, 3, 1, 12)},
                                                        {"top/other", local(2023, 3, 12, 16)},
                                                        {"top", local(2024, 2, 29, 23)},
                                                        {"", local(2024, 3, 11, 16)}})
        setTime(tree.path(folder), when);

    FileTreeScanner::Options options;
    options.fileNodeThreshold = 64 * 1024;
    options.treeDepth = 2;    // "letters" keeps no children; "deep" and below get no node at all
    options.maxChildren = 3;  // "other" is cut from "top" with all it holds
    options.now = now;
    const auto scan = FileTreeScanner(options).scan(tree.root());
    const StorageNode reference = leafPerEntry(tree.root());
    ASSERT_EQ(scan.root.bytes, reference.bytes);

    const CanvasClock clock(now, QTimeZone("America/New_York"));
    const AgeMapLayout ages = AgeMapLayout::make(scan.root, clock);
    const AgeMapLayout expected = AgeMapLayout::make(reference, clock);
    ASSERT_EQ(ages.buckets.size(), expected.buckets.size()) << "no byte is left without its age";
    ASSERT_EQ(ages.buckets.size(), 6u);
    for (std::size_t i = 0; i < ages.buckets.size(); ++i)
        EXPECT_EQ(ages.buckets[i].bytes, expected.buckets[i].bytes) << ages.buckets[i].label;
    // Big & untouched counts the old files folded beside new ones too.
    ASSERT_LT(ages.bigUntouched.size(), AgeMapLayout::bigUntouchedLimit);
    EXPECT_EQ(ages.bigUntouchedTotal, ages.buckets[4].bytes + ages.buckets[5].bytes);

    // Strata lays each byte in the band of its own file's age too: its bands
    // hold what the age map's buckets hold, to the byte, and the whole scan.
    const auto bandTotals = [&](const StorageNode& root) {
        const StrataLayout strata = StrataLayout::make(root, QSizeF(900, 600), clock);
        std::array<std::int64_t, StrataLayout::bandTable.size()> totals{};
        for (const StrataLayout::Band& band : strata.bands) {
            totals[static_cast<std::size_t>(band.bandIndex)] = band.total;
            std::int64_t drawn = 0;
            for (std::size_t d = band.firstDeposit; d < band.firstDeposit + band.depositCount; ++d)
                drawn += strata.deposits[d].bytes;
            EXPECT_EQ(drawn, band.total) << "the band's tiles add up to its size";
        }
        return totals;
    };
    const auto bands = bandTotals(scan.root);
    EXPECT_EQ(bands, bandTotals(reference));
    const auto bucket = [&](std::size_t i) { return ages.buckets[i].bytes; };
    EXPECT_EQ(bands[0], bucket(0));                        // Days: the last 7 days
    EXPECT_EQ(bands[1], bucket(1));                        // Weeks: 8 to 30 days
    EXPECT_EQ(bands[2], bucket(2));                        // Months: 31 to 92 days
    EXPECT_EQ(bands[3], bucket(3));                        // Seasons: 93 to 365 days
    EXPECT_EQ(bands[4], bucket(4) + bucket(5));            // Buried: over a year
    EXPECT_EQ(std::accumulate(bands.begin(), bands.end(), std::int64_t{0}), scan.root.bytes);

    const MonthGridLayout months = MonthGridLayout::make(scan.root, clock);
    const MonthGridLayout expectedMonths = MonthGridLayout::make(reference, clock);
    ASSERT_EQ(months.cells.size(), expectedMonths.cells.size());
    for (std::size_t i = 0; i < months.cells.size(); ++i) {
        EXPECT_EQ(months.cells[i].id, expectedMonths.cells[i].id);
        EXPECT_EQ(months.cells[i].bytes, expectedMonths.cells[i].bytes) << months.cells[i].id;
    }
    EXPECT_EQ(months.years, (std::vector<int>{2024, 2023, 2022, 2021, 2020, 2019}));
}

}  // namespace
}  // namespace korvane
