#include <gtest/gtest.h>

#include "app/state/CleanupTexts.h"

namespace korvane {
namespace {

CategoryResult category(CleanupCategory which, std::int64_t footprint, std::int64_t reclaimable) {
    CleanupCandidate candidate;
    candidate.id = UUID::random();
    candidate.size = reclaimable;
    return CategoryResult(which, footprint, {candidate});
}

TEST(CleanupTextsTest, SummaryNamesTheThreeCategoriesWithTheMostToReclaim) {
    EXPECT_EQ(CleanupTexts::shareSummary(std::nullopt), "Korvane found nothing to clean.");
    ScanResult scan({}, 12.5,
                    {category(CleanupCategory::gradle, 3'000'000'000, 1'000'000'000),
                     category(CleanupCategory::xcode, 9'000'000'000, 4'000'000'000),
                     category(CleanupCategory::node, 8'000'000'000, 7'500'000'000),
                     category(CleanupCategory::docker, 2'000'000'000, 2'000'000'000),
                     category(CleanupCategory::flutter, 0, 0)},
                    {}, {});
    EXPECT_EQ(
        CleanupTexts::shareSummary(scan),
        "Korvane found 14.5 GB of reclaimable developer storage on my computer \u2014 Node.js 7.5 GB, Xcode 4 GB, "
        "Docker 2 GB. Scanned in 12s.");
}

}  // namespace
}  // namespace korvane
