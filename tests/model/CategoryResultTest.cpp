#include "core/model/CategoryResult.h"

#include <limits>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "tests/model/ModelSamples.h"

namespace korvane {
namespace {

using samples::candidate;
constexpr auto kMax = std::numeric_limits<std::int64_t>::max();

TEST(CategoryResultTest, EmptyCategoryHasNothingReclaimable) {
    CategoryResult result(CleanupCategory::docker, 0, {});
    EXPECT_EQ(result.reclaimable(), 0);
    EXPECT_TRUE(result.groups().empty());
}

TEST(CategoryResultTest, DangerousCandidatesCountInNoTotalButStayInTheList) {
    auto big = candidate(CleanupCategory::xcode, "xcode.archives", 10'000'000'000, SafetyLevel::dangerous);
    auto small = candidate(CleanupCategory::xcode, "xcode.derivedData", 300, SafetyLevel::caution);
    CategoryResult result(CleanupCategory::xcode, 20'000'000'000, {big, small});
    EXPECT_EQ(result.reclaimable(), 300);
    ASSERT_EQ(result.groups().size(), 1u);
    EXPECT_EQ(result.groups()[0].id, "xcode.derivedData");
    EXPECT_EQ(result.candidates.size(), 2u);
    CategoryResult without(CleanupCategory::xcode, 20'000'000'000, {small});
    EXPECT_NE(result, without);
}

TEST(CategoryResultTest, GroupTakesFirstTitleAndStrictestSafety) {
    auto a = candidate(CleanupCategory::node, "node.npm", 10, SafetyLevel::safe, "a");
    auto b = candidate(CleanupCategory::node, "node.npm", 30, SafetyLevel::caution, "b");
    auto c = candidate(CleanupCategory::node, "node.npm", 20, SafetyLevel::safe, "c");
    a.groupTitle = "First title";
    b.groupTitle = "Other title";
    CandidateGroup group("node.npm", {a, b, c});
    EXPECT_EQ(group.title, "First title");
    EXPECT_EQ(group.reason, a.reason);
    EXPECT_EQ(group.restoreHint, a.restoreHint);
    EXPECT_EQ(group.safety, SafetyLevel::caution);
    ASSERT_EQ(group.items.size(), 3u);
    EXPECT_EQ(group.items[0].title, "b");
    EXPECT_EQ(group.items[1].title, "c");
    EXPECT_EQ(group.items[2].title, "a");
    EXPECT_EQ(group.bytes(), 60);
}

TEST(CategoryResultTest, EqualSizesKeepScannerOrderWithinAGroup) {
    auto a = candidate(CleanupCategory::node, "r", 5, SafetyLevel::safe, "a");
    auto b = candidate(CleanupCategory::node, "r", 5, SafetyLevel::safe, "b");
    auto c = candidate(CleanupCategory::node, "r", 9, SafetyLevel::safe, "c");
    CandidateGroup group("r", {a, b, c});
    EXPECT_EQ(group.items[0].title, "c");
    EXPECT_EQ(group.items[1].title, "a");
    EXPECT_EQ(group.items[2].title, "b");
}

TEST(CategoryResultTest, GroupsAreLargestFirst) {
    CategoryResult result(CleanupCategory::node, 0,
                          {candidate(CleanupCategory::node, "small", 5), candidate(CleanupCategory::node, "big", 50),
                           candidate(CleanupCategory::node, "small", 10)});
    auto groups = result.groups();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].id, "big");
    EXPECT_EQ(groups[1].id, "small");
    EXPECT_EQ(groups[1].bytes(), 15);
}

TEST(CategoryResultTest, GroupedByRuleKeepsInputOrder) {
    auto a = candidate(CleanupCategory::node, "x", 1, SafetyLevel::safe, "a");
    auto b = candidate(CleanupCategory::node, "y", 1, SafetyLevel::safe, "b");
    auto c = candidate(CleanupCategory::node, "x", 9, SafetyLevel::safe, "c");
    auto grouped = groupedByRule({a, b, c});
    ASSERT_EQ(grouped.size(), 2u);
    ASSERT_EQ(grouped["x"].size(), 2u);
    EXPECT_EQ(grouped["x"][0].title, "a");
    EXPECT_EQ(grouped["x"][1].title, "c");
}

TEST(CategoryResultTest, SumsSaturateAndIgnoreNegativeSizes) {
    CategoryResult huge(CleanupCategory::docker, kMax,
                        {candidate(CleanupCategory::docker, "r", kMax), candidate(CleanupCategory::docker, "r", kMax)});
    EXPECT_EQ(huge.reclaimable(), kMax);
    EXPECT_EQ(huge.groups()[0].bytes(), kMax);
    CategoryResult negative(CleanupCategory::docker, 0,
                            {candidate(CleanupCategory::docker, "r", -500), candidate(CleanupCategory::docker, "r", 7)});
    EXPECT_EQ(negative.reclaimable(), 7);
}

TEST(CategoryResultTest, JsonRoundTripAndNote) {
    CategoryResult result(CleanupCategory::gradle, 900, {candidate(CleanupCategory::gradle, "gradle.caches", 800)},
                          "Gradle daemon logs were not inspected", 1.25);
    auto j = nlohmann::json(result);
    EXPECT_EQ(j.at("note"), "Gradle daemon logs were not inspected");
    EXPECT_EQ(decodeJson<CategoryResult>(j), result);

    result.note.reset();
    j = nlohmann::json(result);
    EXPECT_FALSE(j.contains("note"));
    EXPECT_EQ(decodeJson<CategoryResult>(j), result);

    for (const char* key : {"category", "footprint", "candidates", "duration"}) {
        auto copy = j;
        copy.erase(key);
        EXPECT_FALSE(decodeJson<CategoryResult>(copy)) << key;
    }
    // One bad candidate spoils the whole result.
    j["candidates"][0]["safety"] = 7;
    EXPECT_FALSE(decodeJson<CategoryResult>(j));
}

}  // namespace
}  // namespace korvane
