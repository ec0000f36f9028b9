#include "core/model/ScanResult.h"

#include <limits>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "core/model/ScanProgress.h"
#include "tests/model/ModelSamples.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using samples::candidate;

ScanResult sample() {
    CategoryResult node(CleanupCategory::node, 500, {candidate(CleanupCategory::node, "node.npm", 400)});
    CategoryResult docker(CleanupCategory::docker, 100,
                          {candidate(CleanupCategory::docker, "docker.images", 60),
                           candidate(CleanupCategory::docker, "docker.volumes", 30, SafetyLevel::dangerous)},
                          "Docker is not running", 0.5);
    return ScanResult(samples::date(1709993100), 3.5, {docker, node}, VolumeInfo(1000000, 2500),
                      {CleanupCategory::flutter}, 0.75, 12);
}

TEST(ScanResultTest, ShortConstructorSortsIntoDisplayOrder) {
    ScanResult result(samples::date(0), 1, {CategoryResult(CleanupCategory::toolchains, 1, {}),
                                            CategoryResult(CleanupCategory::node, 2, {}),
                                            CategoryResult(CleanupCategory::xcode, 3, {})},
                      VolumeInfo(), {});
    ASSERT_EQ(result.categories.size(), 3u);
    EXPECT_EQ(result.categories[0].category, CleanupCategory::xcode);
    EXPECT_EQ(result.categories[1].category, CleanupCategory::node);
    EXPECT_EQ(result.categories[2].category, CleanupCategory::toolchains);
    EXPECT_EQ(result.projectSweepDuration, 0);
    EXPECT_EQ(result.projectCount, 0);

    ScanResult kept(samples::date(0), 1, {CategoryResult(CleanupCategory::toolchains, 1, {}),
                                          CategoryResult(CleanupCategory::xcode, 3, {})},
                    VolumeInfo(), {}, 2, 4);
    EXPECT_EQ(kept.categories[0].category, CleanupCategory::toolchains);
}

TEST(ScanResultTest, Totals) {
    auto result = sample();
    EXPECT_EQ(result.footprint(), 600);
    EXPECT_EQ(result.reclaimable(), 460);
    auto all = result.allCandidates();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].ruleID, "docker.images");
    EXPECT_EQ(all[1].ruleID, "docker.volumes");
    EXPECT_EQ(all[2].ruleID, "node.npm");
}

TEST(ScanResultTest, NonEmptyCategoriesByReclaimableThenStoredOrder) {
    ScanResult result(samples::date(0), 1,
                      {CategoryResult(CleanupCategory::xcode, 0, {}), CategoryResult(CleanupCategory::docker, 1, {}),
                       CategoryResult(CleanupCategory::reactNative, 50, {}),
                       CategoryResult(CleanupCategory::node, 9, {candidate(CleanupCategory::node, "r", 9)})},
                      VolumeInfo(), {});
    auto listed = result.nonEmptyCategories();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].category, CleanupCategory::node);
    EXPECT_EQ(listed[1].category, CleanupCategory::docker);  // equal reclaimable: stored order
    EXPECT_EQ(listed[2].category, CleanupCategory::reactNative);
}

TEST(ScanResultTest, FootprintSaturates) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    ScanResult result(samples::date(0), 1,
                      {CategoryResult(CleanupCategory::xcode, kMax, {}), CategoryResult(CleanupCategory::docker, kMax, {}),
                       CategoryResult(CleanupCategory::node, -4, {})},
                      VolumeInfo(), {});
    EXPECT_EQ(result.footprint(), kMax);
}

TEST(ScanResultTest, JsonRoundTrip) {
    auto result = sample();
    auto j = nlohmann::json(result);
    EXPECT_EQ(j.at("scanDate"), "2024-03-09T14:05:00Z");
    EXPECT_EQ(j.at("skipped"), nlohmann::json::parse(R"(["flutter"])"));
    EXPECT_EQ(j.at("volume"), nlohmann::json::parse(R"({"totalCapacity":1000000,"availableCapacity":2500,"usedCapacity":997500})"));
    EXPECT_EQ(decodeJson<ScanResult>(j), result);
    EXPECT_EQ(decodeJsonText<ScanResult>(j.dump()), result);
}

TEST(ScanResultTest, SwitchedOffCategoriesAreKeptOnlyWhenThereAreAny) {
    auto result = sample();
    EXPECT_FALSE(nlohmann::json(result).contains("switchedOff"));  // as files written before it
    result.switchedOff = {CleanupCategory::toolchains, CleanupCategory::docker};
    const auto j = nlohmann::json(result);
    EXPECT_EQ(j.at("switchedOff"), nlohmann::json::parse(R"(["toolchains","docker"])"));
    EXPECT_EQ(decodeJson<ScanResult>(j)->switchedOff, result.switchedOff);
    auto wrong = j;
    wrong["switchedOff"] = "toolchains";
    EXPECT_FALSE(decodeJson<ScanResult>(wrong));
}

TEST(ScanResultTest, StrictDecoding) {
    auto j = nlohmann::json(sample());
    for (const char* key :
         {"scanDate", "duration", "categories", "volume", "skipped", "projectSweepDuration", "projectCount"}) {
        auto copy = j;
        copy.erase(key);
        EXPECT_FALSE(decodeJson<ScanResult>(copy)) << key;
    }
    auto copy = j;
    copy["volume"].erase("availableCapacity");
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
    copy = j;
    copy["skipped"] = nlohmann::json::parse(R"(["Flutter"])");
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
    copy = j;
    copy["scanDate"] = "not a date";
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
    copy = j;
    copy["categories"][1]["candidates"][0]["path"] = "file:///home/u/%00";
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
    copy = j;
    copy["categories"][0]["candidates"][0]["id"] = "E621E1F8-C36C-495A-93FC";
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
    // A list stored as an object is refused, not read through its values.
    copy = j;
    copy["skipped"] = nlohmann::json{{"first", "flutter"}};
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
    copy = j;
    copy["categories"] = nlohmann::json{{"first", j["categories"][0]}};
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
    copy = j;
    copy["categories"][0]["candidates"] = nlohmann::json{{"first", j["categories"][0]["candidates"][0]}};
    EXPECT_FALSE(decodeJson<ScanResult>(copy));
}

TEST(ScanResultTest, VolumeOfAFolderAndOfNothing) {
    testing::TempTree tree;
    auto volume = VolumeInfo::volumeOf(tree.root());
    EXPECT_GT(volume.totalCapacity, 0);
    EXPECT_GE(volume.availableCapacity, 0);
    EXPECT_LE(volume.availableCapacity, volume.totalCapacity);
    EXPECT_EQ(VolumeInfo::volumeOf(tree.path("missing/folder")), VolumeInfo(0, 0));
    EXPECT_EQ(VolumeInfo::volumeOf(std::string("/tmp\0x", 6)), VolumeInfo(0, 0));
}

TEST(ScanProgressTest, PhasesAndLabels) {
    EXPECT_EQ(ScanProgress::Phase::idle().label(), "Ready");
    EXPECT_EQ(ScanProgress::Phase::finished().label(), "Done");
    EXPECT_EQ(ScanProgress::Phase::scanning(CleanupCategory::reactNative).label(),
              "Analyzing React Native\u2026");
    EXPECT_EQ(ScanProgress::Phase::scanning(CleanupCategory::docker), ScanProgress::Phase::scanning(CleanupCategory::docker));
    EXPECT_NE(ScanProgress::Phase::scanning(CleanupCategory::docker), ScanProgress::Phase::scanning(CleanupCategory::node));
    EXPECT_NE(ScanProgress::Phase::idle(), ScanProgress::Phase::finished());

    auto idle = ScanProgress::idle();
    EXPECT_EQ(idle.phase, ScanProgress::Phase::idle());
    EXPECT_EQ(idle.fraction, 0);
    EXPECT_TRUE(idle.completed.empty());
    EXPECT_EQ(idle, ScanProgress());
}

}  // namespace
}  // namespace korvane
