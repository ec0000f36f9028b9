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
    const TimePoint now = TimePoint(std::chrono::seconds(1712743200));
};

TEST_F(DemonstrationDataTest, ScanHoldsEveryValueAsWritten) {
    const ScanResult scan = DemonstrationData::scan(now);
    EXPECT_EQ(scan.scanDate, now);
    EXPECT_DOUBLE_EQ(scan.duration, 21.4);
    EXPECT_EQ(scan.volume, VolumeInfo(245'110'000'000, 18'400'000'000));
    EXPECT_EQ(scan.skipped, std::vector<CleanupCategory>{CleanupCategory::flutter});
    EXPECT_EQ(scan.projectCount, 62);
    ASSERT_EQ(scan.categories.size(), 3u);
    EXPECT_EQ(scan.categories[0].footprint, 12'400'000'000);
    EXPECT_EQ(scan.categories[1].footprint, 21'600'000'000);
    EXPECT_EQ(scan.categories[2].footprint, 34'110'000'000);

    struct Row {
        CleanupCategory category;
        const char* title;
        std::int64_t size;
        SafetyLevel safety;
        TimePoint lastModified;
    };
    // Local noon N calendar days back: an hour less than N * 24 hours when that lies in winter time.
    // clang-format off
    const Row rows[] = {
        {CleanupCategory::xcode, "Atlas", 4'099'999'999, SafetyLevel::safe, now - hours(2 * 24)},
        {CleanupCategory::docker, "9 images with no container", 7'400'000'000, SafetyLevel::caution, now - hours(420 * 24 - 1)},
        {CleanupCategory::node, "storefront", 6'900'000'000, SafetyLevel::safe, now - hours(190 * 24)},
        {CleanupCategory::node, "atlas-api", 5'600'000'000, SafetyLevel::caution, now - hours(12 * 24 - 1)},
        {CleanupCategory::node, "npm cache", 1'200'000'000, SafetyLevel::safe, now - hours(3 * 24)},
    };
    // clang-format on
    const auto candidates = scan.allCandidates();
    ASSERT_EQ(candidates.size(), std::size(rows));
    std::set<UUID> ids;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        SCOPED_TRACE(rows[i].title);
        const auto& candidate = candidates[i];
        ids.insert(candidate.id);
        EXPECT_EQ(candidate.category, rows[i].category);
        EXPECT_EQ(candidate.title, rows[i].title);
        EXPECT_EQ(candidate.path, tree.path("home/Developer/") + rows[i].title);
        EXPECT_EQ(candidate.size, rows[i].size);
        EXPECT_EQ(candidate.safety, rows[i].safety);
        EXPECT_EQ(candidate.lastModified, rows[i].lastModified);
        EXPECT_EQ(candidate.isSelectedByDefault, rows[i].safety == SafetyLevel::safe);
    }
    EXPECT_EQ(ids.size(), 5u);
}

}  // namespace
}  // namespace korvane
