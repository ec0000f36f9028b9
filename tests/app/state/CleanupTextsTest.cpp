#include <gtest/gtest.h>

#include "app/state/CleanupTexts.h"

namespace korvane {
namespace {

using Status = RestoreEngine::Outcome::Status;

CategoryResult category(CleanupCategory which, std::int64_t footprint, std::int64_t reclaimable) {
    std::vector<CleanupCandidate> candidates;
    if (reclaimable > 0) {
        CleanupCandidate candidate;
        candidate.id = UUID::random();
        candidate.category = which;
        candidate.size = reclaimable;
        candidates.push_back(candidate);
    }
    return CategoryResult(which, footprint, std::move(candidates));
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
        "Korvane found 14.5 GB of reclaimable developer storage on my Mac \u2014 Node.js 7.5 GB, Xcode 4 GB, "
        "Docker 2 GB. Scanned in 12s.");

    ScanResult empty({}, 0.4, {category(CleanupCategory::flutter, 0, 0)}, {}, {});
    EXPECT_EQ(CleanupTexts::shareSummary(empty),
              "Korvane found 0 KB of reclaimable developer storage on my Mac \u2014 . Scanned in 0s.");
}

RestoreEngine::Outcome outcome(Status status, std::int64_t bytes, std::optional<std::string> message = {}) {
    RestoreEngine::Outcome o;
    o.status = status;
    o.bytes = bytes;
    o.message = std::move(message);
    return o;
}

TEST(CleanupTextsTest, PutBackNoticeCountsLocationsInSingularAndPlural) {
    struct Case {
        std::vector<RestoreEngine::Outcome> outcomes;
        const char* notice;
    };
    const Case cases[] = {
        {{outcome(Status::restored, 5'600'000'000)}, "Put back 5.6 GB across 1 location."},
        {{outcome(Status::missing, 1, "No longer in the Trash"), outcome(Status::restored, 1'500'000),
          outcome(Status::restored, 2'000'000)},
         "Put back 3.5 MB across 2 locations."},
        {{outcome(Status::failed, 1, "Permission denied"),
          outcome(Status::missing, 1, "No longer in the Trash")},
         "Permission denied"},
        // Only the first problem speaks; without a message of its own the notice says nothing was left.
        {{outcome(Status::blocked, 1), outcome(Status::missing, 1, "No longer in the Trash")},
         "Nothing was left to put back."},
        {{}, "Nothing was left to put back."},
    };
    for (const auto& c : cases) EXPECT_EQ(CleanupTexts::putBackNotice({c.outcomes}), c.notice);
}

TEST(CleanupTextsTest, EmptiedNoticeSaysHowMuchOrThatNothingWasLeft) {
    EXPECT_EQ(CleanupTexts::emptiedNotice(0), "There was nothing of Korvane's left in the Trash.");
    EXPECT_EQ(CleanupTexts::emptiedNotice(-5), "There was nothing of Korvane's left in the Trash.");
    EXPECT_EQ(CleanupTexts::emptiedNotice(5'600'000'000), "Emptied 5.6 GB from the Trash.");
}

}  // namespace
}  // namespace korvane
