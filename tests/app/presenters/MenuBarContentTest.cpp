#include <gtest/gtest.h>

#include "app/presenters/MenuBarContent.h"
#include "app/state/DemonstrationData.h"
#include "core/text/ByteFormat.h"

namespace korvane {
namespace {

CategoryResult result(CleanupCategory category, std::int64_t size, SafetyLevel safety = SafetyLevel::safe) {
    CleanupCandidate candidate;
    candidate.id = UUID::random();
    candidate.category = category;
    candidate.size = size;
    candidate.safety = safety;
    return CategoryResult(category, size, {candidate});
}

ScanResult scanOf(std::vector<CategoryResult> categories) {
    ScanResult scan;
    scan.categories = std::move(categories);
    scan.volume = VolumeInfo(500'000'000'000, 123'400'000'000);
    return scan;
}

TEST(MenuBarContent, WithoutAScanShowsOnlyTheHeadlineAndTheCommands) {
    const MenuBarContent content = menuBarContent(std::nullopt, 0, Route::onboarding);
    EXPECT_EQ(content.reclaimableBytes, 0);
    EXPECT_FALSE(content.showsScanSummary);
    EXPECT_TRUE(content.rows.empty());
    EXPECT_EQ(content.freeSpace, "");
    EXPECT_EQ(content.scanButtonTitle, "Scan Now");
    EXPECT_TRUE(content.scanEnabled);
}

TEST(MenuBarContent, ListsTheFourLargestCategoriesByReclaimableBytesAndTheFreeSpace) {
    const MenuBarContent content = menuBarContent(
        scanOf({result(CleanupCategory::xcode, 3'000), result(CleanupCategory::node, 9'000),
                result(CleanupCategory::docker, 0), result(CleanupCategory::gradle, 5'000),
                result(CleanupCategory::flutter, 1'000), result(CleanupCategory::android, 7'000),
                // Protected bytes are a footprint but nothing reclaimable: ranked last.
                result(CleanupCategory::toolchains, 8'000, SafetyLevel::dangerous)}),
        21'000, Route::explore);
    ASSERT_TRUE(content.showsScanSummary);
    ASSERT_EQ(content.rows.size(), 4u);
    const std::vector<CleanupCategory> order = {CleanupCategory::node, CleanupCategory::android,
                                                CleanupCategory::gradle, CleanupCategory::xcode};
    for (std::size_t index = 0; index < order.size(); ++index) {
        EXPECT_EQ(content.rows[index].category, order[index]);
        EXPECT_EQ(content.rows[index].title, title(order[index]));
    }
    EXPECT_EQ(content.rows[0].bytes, ByteFormat::string(9'000));
    EXPECT_EQ(content.freeSpace, ByteFormat::string(123'400'000'000));
    EXPECT_EQ(content.reclaimableBytes, 21'000);
}

TEST(MenuBarContent, ShowsAsManyRowsAsNonEmptyCategoriesUpToFour) {
    const ScanResult demonstration = DemonstrationData::scan();
    const MenuBarContent shown = menuBarContent(demonstration, demonstration.reclaimable(), Route::explore);
    ASSERT_EQ(shown.rows.size(), 3u);
    EXPECT_EQ(shown.rows[0].title, "Node.js");
    EXPECT_EQ(shown.rows[1].title, "Docker");
    EXPECT_EQ(shown.rows[2].title, "Xcode");
    EXPECT_EQ(shown.freeSpace, ByteFormat::string(18'400'000'000));

    std::vector<CategoryResult> nine;
    std::int64_t size = 1'000;
    for (CleanupCategory category : allCleanupCategories()) nine.push_back(result(category, size += 1'000));
    EXPECT_EQ(menuBarContent(scanOf(nine), 1, Route::explore).rows.size(), 4u);
}

TEST(MenuBarContent, ScanCommandWaitsWhileScanningOrCleaning) {
    struct Case {
        Route route;
        const char* title;
        bool enabled;
    };
    for (const Case& c :
         {Case{Route::onboarding, "Scan Now", true}, Case{Route::scanning, "Scanning…", false},
          Case{Route::explore, "Scan Now", true}, Case{Route::cleaning, "Scan Now", false},
          Case{Route::finished, "Scan Now", true}}) {
        const MenuBarContent content = menuBarContent(std::nullopt, 0, c.route);
        EXPECT_EQ(content.scanButtonTitle, c.title);
        EXPECT_EQ(content.scanEnabled, c.enabled);
        EXPECT_EQ(scanNowEnabled(c.route), c.enabled);
        // A scan behind the window (the tray's, the schedule's) holds the command on every screen.
        const MenuBarContent behind = menuBarContent(std::nullopt, 0, c.route, true);
        EXPECT_EQ(behind.scanButtonTitle, "Scanning…");
        EXPECT_FALSE(behind.scanEnabled);
        EXPECT_FALSE(scanNowEnabled(c.route, true));
    }
}

TEST(MenuBarContent, TitleIsTheProductNameBelowOneByte) {
    EXPECT_EQ(menuBarTitle(0), "Korvane");
    EXPECT_EQ(menuBarTitle(-40), "Korvane");
    EXPECT_EQ(menuBarTitle(1), ByteFormat::string(1));
    EXPECT_EQ(menuBarTitle(4'200'000'000), ByteFormat::string(4'200'000'000));
}

}  // namespace
}  // namespace korvane
