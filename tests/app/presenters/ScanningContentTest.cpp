#include <gtest/gtest.h>

#include <limits>

#include "app/presenters/ScanningContent.h"
#include "app/state/DemonstrationData.h"
#include "core/text/ByteFormat.h"

namespace korvane {
namespace {

CleanupCandidate candidate(std::int64_t size, SafetyLevel safety) {
    CleanupCandidate made;
    made.id = UUID::random();
    made.size = size;
    made.safety = safety;
    return made;
}

TEST(ScanningContent, IdleProgressShowsNothingFoundAndReady) {
    const ScanningContent content = scanningContent(ScanProgress::idle());
    EXPECT_EQ(content.foundSoFar, 0);
    EXPECT_EQ(content.fraction, 0);
    EXPECT_EQ(content.phase, "Ready");
    EXPECT_TRUE(content.rows.empty());
}

TEST(ScanningContent, RowsKeepTheOrderOfCompletionAndSkipEmptyCategories) {
    const ScanProgress progress(
        ScanProgress::Phase::scanning(CleanupCategory::gradle), 0.6,
        {CategoryResult(CleanupCategory::docker, 100, {candidate(100, SafetyLevel::safe)}),
         CategoryResult(CleanupCategory::node, 0, {}),
         CategoryResult(CleanupCategory::xcode, 5'000, {candidate(5'000, SafetyLevel::caution)}),
         // All protected: a row with nothing reclaimable, and nothing added to the headline.
         CategoryResult(CleanupCategory::android, 700, {candidate(700, SafetyLevel::dangerous)})});
    const ScanningContent content = scanningContent(progress);
    EXPECT_EQ(content.foundSoFar, 5'100);
    EXPECT_DOUBLE_EQ(content.fraction, 0.6);
    EXPECT_EQ(content.phase, "Analyzing Gradle…");
    ASSERT_EQ(content.rows.size(), 3u);
    EXPECT_EQ(content.rows[0].category, CleanupCategory::docker);
    EXPECT_EQ(content.rows[1].category, CleanupCategory::xcode);
    EXPECT_EQ(content.rows[2].category, CleanupCategory::android);
    EXPECT_EQ(content.rows[1].title, "Xcode");
    EXPECT_EQ(content.rows[1].symbol, symbolName(CleanupCategory::xcode));
    EXPECT_EQ(content.rows[1].bytes, ByteFormat::string(5'000));
    EXPECT_EQ(content.rows[2].bytes, ByteFormat::string(0));
}

TEST(ScanningContent, FractionStaysWithinTheBar) {
    struct Case {
        double given;
        double shown;
    };
    for (const Case& c :
         {Case{-0.3, 0}, Case{0.25, 0.25}, Case{1.7, 1}, Case{std::numeric_limits<double>::quiet_NaN(), 0},
          Case{std::numeric_limits<double>::infinity(), 0}}) {
        EXPECT_EQ(scanningContent(ScanProgress(ScanProgress::Phase::finished(), c.given, {})).fraction,
                  c.shown)
            << c.given;
    }
    EXPECT_EQ(scanningContent(ScanProgress(ScanProgress::Phase::finished(), 1, {})).phase, "Done");
}

TEST(ScanningContent, DemonstrationScanShowsEveryCategoryThatFoundSomething) {
    const ScanResult scan = DemonstrationData::scan();
    const ScanningContent content = scanningContent(
        ScanProgress(ScanProgress::Phase::scanning(CleanupCategory::node), 0.55, scan.categories));
    EXPECT_EQ(content.foundSoFar, scan.reclaimable());
    std::size_t withFootprint = 0;
    for (const CategoryResult& result : scan.categories) withFootprint += result.footprint >= 1 ? 1 : 0;
    ASSERT_EQ(content.rows.size(), withFootprint);
    EXPECT_EQ(content.rows.front().category, scan.categories.front().category);
    EXPECT_EQ(content.phase, "Analyzing Node.js…");
}

}  // namespace
}  // namespace korvane
