#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <set>

#include "app/state/DemonstrationData.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using std::chrono::hours;
using std::chrono::seconds;
using TimePoint = std::chrono::system_clock::time_point;

class DemonstrationDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        zone.emplace("TZ", std::string("Europe/Berlin"));
        ::tzset();
        Paths::setHomeForTesting(tree.folder("home"));
    }
    void TearDown() override {
        Paths::setHomeForTesting(std::nullopt);
        zone.reset();
        ::tzset();
    }

    testing::TempTree tree;
    std::optional<testing::ScopedEnv> zone;
    // 2024-04-10 12:00 CEST: 12 and 420 days back lie in winter time.
    const TimePoint now = TimePoint(seconds(1712743200));
};

TEST_F(DemonstrationDataTest, ScanHoldsEveryValueAsWritten) {
    const ScanResult scan = DemonstrationData::scan(now);
    EXPECT_EQ(scan.scanDate, now);
    EXPECT_DOUBLE_EQ(scan.duration, 21.4);
    EXPECT_EQ(scan.volume, VolumeInfo(245'110'000'000, 18'400'000'000));
    EXPECT_EQ(scan.skipped, std::vector<CleanupCategory>{CleanupCategory::flutter});
    EXPECT_EQ(scan.projectSweepDuration, 0);
    EXPECT_EQ(scan.projectCount, 62);

    struct Category {
        CleanupCategory category;
        std::int64_t footprint;
        std::size_t candidates;
    };
    const Category categories[] = {{CleanupCategory::xcode, 12'400'000'000, 1},
                                   {CleanupCategory::docker, 21'600'000'000, 1},
                                   {CleanupCategory::node, 34'110'000'000, 3}};
    ASSERT_EQ(scan.categories.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(scan.categories[i].category, categories[i].category);
        EXPECT_EQ(scan.categories[i].footprint, categories[i].footprint);
        EXPECT_EQ(scan.categories[i].candidates.size(), categories[i].candidates);
        EXPECT_EQ(scan.categories[i].note, std::nullopt);
        EXPECT_EQ(scan.categories[i].duration, 0);
    }

    struct Row {
        CleanupCategory category;
        const char* ruleID;
        const char* groupTitle;
        const char* title;
        std::int64_t size;
        SafetyLevel safety;
        TimePoint lastModified;
    };
    // Local noon N calendar days back: an hour less than N * 24 hours when that lies in winter time.
    const Row rows[] = {
        {CleanupCategory::xcode, "xcode.derivedData", "Derived Data", "Atlas", 4'099'999'999,
         SafetyLevel::safe, now - hours(2 * 24)},
        {CleanupCategory::docker, "docker.unusedImages", "Unused Images", "9 images with no container",
         7'400'000'000, SafetyLevel::caution, now - hours(420 * 24 - 1)},
        {CleanupCategory::node, "node.modules", "Project Dependencies", "storefront", 6'900'000'000,
         SafetyLevel::safe, now - hours(190 * 24)},
        {CleanupCategory::node, "node.modules", "Project Dependencies", "atlas-api", 5'600'000'000,
         SafetyLevel::caution, now - hours(12 * 24 - 1)},
        {CleanupCategory::node, "node.npmCache", "Package Manager Caches", "npm cache", 1'200'000'000,
         SafetyLevel::safe, now - hours(3 * 24)},
    };
    const auto candidates = scan.allCandidates();
    ASSERT_EQ(candidates.size(), 5u);
    std::set<UUID> ids;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        SCOPED_TRACE(rows[i].title);
        const auto& candidate = candidates[i];
        ids.insert(candidate.id);
        EXPECT_EQ(candidate.category, rows[i].category);
        EXPECT_EQ(candidate.ruleID, rows[i].ruleID);
        EXPECT_EQ(candidate.groupTitle, rows[i].groupTitle);
        EXPECT_EQ(candidate.title, rows[i].title);
        EXPECT_EQ(candidate.path, tree.path("home/Developer/") + rows[i].title);
        EXPECT_EQ(candidate.size, rows[i].size);
        EXPECT_EQ(candidate.safety, rows[i].safety);
        EXPECT_EQ(candidate.reason, "Placeholder entry used when Korvane is launched for a screenshot.");
        EXPECT_EQ(candidate.restoreHint, "Rebuilt automatically");
        EXPECT_EQ(candidate.lastModified, rows[i].lastModified);
        EXPECT_TRUE(candidate.details.empty());
        EXPECT_TRUE(candidate.removal.isPath());
        EXPECT_EQ(candidate.isSelectedByDefault, rows[i].safety == SafetyLevel::safe);
    }
    EXPECT_EQ(ids.size(), 5u);
}

TEST_F(DemonstrationDataTest, ReportHoldsEveryValueAsWritten) {
    const CleanupReport report = DemonstrationData::report(now);
    EXPECT_EQ(report.date, now);
    EXPECT_DOUBLE_EQ(report.duration, 6.2);
    EXPECT_EQ(report.volumeBefore, VolumeInfo(245'110'000'000, 18'400'000'000));
    EXPECT_EQ(report.volumeAfter, VolumeInfo(245'110'000'000, 36'800'000'000));

    using Status = CleanupOutcome::Status;
    const std::string trashed = tree.path("home") + "/.Trash/node_modules";
    const CleanupOutcome expected[] = {
        {{},
         CleanupCategory::node,
         "storefront",
         "~/Developer/storefront/node_modules",
         6'900'000'000,
         Status::deleted,
         std::nullopt},
        {{},
         CleanupCategory::xcode,
         "Atlas",
         "~/Library/Developer/Xcode/DerivedData/Atlas",
         4'100'000'000,
         Status::deleted,
         std::nullopt},
        {{},
         CleanupCategory::docker,
         "9 images with no container",
         "\u2014",
         7'400'000'000,
         Status::pruned,
         std::nullopt},
        {{},
         CleanupCategory::node,
         "atlas-api",
         "~/Developer/atlas-api/node_modules",
         5'600'000'000,
         Status::trashed,
         std::nullopt,
         trashed},
        {{},
         CleanupCategory::gradle,
         "Gradle 8.2 cache",
         "~/.gradle/caches/8.2",
         900'000'000,
         Status::skipped,
         "Already gone"},
    };
    ASSERT_EQ(report.outcomes.size(), 5u);
    std::set<UUID> ids;
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        auto outcome = report.outcomes[i];
        EXPECT_FALSE(outcome.candidateID.isNil());
        ids.insert(outcome.candidateID);
        outcome.candidateID = {};
        EXPECT_EQ(outcome, expected[i]);
    }
    EXPECT_EQ(ids.size(), 5u);
    EXPECT_EQ(report.freedBytes(), 24'000'000'000);
}

}  // namespace
}  // namespace korvane
