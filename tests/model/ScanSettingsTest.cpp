#include "core/model/ScanSettings.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

// Every test here points the home folder at a temporary tree.
class ScanSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting(home.root()); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }
    testing::TempTree home;
};

TEST_F(ScanSettingsTest, InitialValues) {
    ScanSettings settings;
    EXPECT_EQ(settings.noiseFloorBytes, 5242880);
    EXPECT_EQ(settings.staleProjectDays, 60);
    EXPECT_EQ(settings.enabledCategories.size(), 9u);
    EXPECT_TRUE(settings.excludedPaths.empty());
    EXPECT_TRUE(settings.projectRoots.empty());  // no default folder exists
    EXPECT_EQ(settings, ScanSettings::defaultSettings());
}

TEST_F(ScanSettingsTest, DefaultRootsAreTheExistingOnesInTableOrder) {
    home.folder("work");
    home.folder("Developer");
    home.file("src");  // something exists: a file counts too
    home.symlink("Sites", "nowhere");
    home.folder("Unrelated");
    std::vector<std::string> expected = {home.path("Developer"), home.path("src"), home.path("work"),
                                         home.path("Sites")};
    EXPECT_EQ(defaultProjectRoots(), expected);
    EXPECT_EQ(ScanSettings().projectRoots, expected);
    EXPECT_EQ(defaultProjectRootNames().size(), 13u);
}

TEST_F(ScanSettingsTest, JsonRoundTrip) {
    ScanSettings settings(1, 0, {"/b", "/a"}, {CleanupCategory::docker, CleanupCategory::reactNative},
                          {"/x/y", "/a b"});
    auto j = nlohmann::json(settings);
    EXPECT_EQ(j.size(), 5u);
    EXPECT_EQ(j.at("projectRoots"), nlohmann::json::parse(R"(["/b","/a"])"));
    EXPECT_EQ(decodeJson<ScanSettings>(j), settings);
    ScanSettings empty(-5, -1, {}, {}, {});
    EXPECT_EQ(decodeJson<ScanSettings>(nlohmann::json(empty)), empty);
}

TEST_F(ScanSettingsTest, EveryKeyIsRequired) {
    auto j = nlohmann::json(ScanSettings());
    for (const char* key : {"noiseFloorBytes", "staleProjectDays", "projectRoots", "enabledCategories", "excludedPaths"}) {
        auto copy = j;
        copy.erase(key);
        EXPECT_FALSE(decodeJson<ScanSettings>(copy)) << key;
    }
}

TEST_F(ScanSettingsTest, CategorySetsCollapseDuplicatesAndRefuseUnknownNames) {
    auto text = R"({"noiseFloorBytes":1,"staleProjectDays":2,"projectRoots":[],
                    "enabledCategories":["docker","docker"],"excludedPaths":["/a","/a"]})";
    auto decoded = decodeJsonText<ScanSettings>(text);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->enabledCategories, std::set<CleanupCategory>{CleanupCategory::docker});
    EXPECT_EQ(decoded->excludedPaths.size(), 1u);
    EXPECT_FALSE(decodeJsonText<ScanSettings>(R"({"noiseFloorBytes":1,"staleProjectDays":2,"projectRoots":[],
                    "enabledCategories":["Docker"],"excludedPaths":[]})"));
    EXPECT_FALSE(decodeJsonText<ScanSettings>(R"({"noiseFloorBytes":"1","staleProjectDays":2,"projectRoots":[],
                    "enabledCategories":[],"excludedPaths":[]})"));
}

TEST_F(ScanSettingsTest, SetsCompareWithoutOrder) {
    ScanSettings a(1, 1, {}, {}, {});
    ScanSettings b(1, 1, {}, {}, {});
    a.excludedPaths.insert("/x");
    a.excludedPaths.insert("/y");
    b.excludedPaths.insert("/y");
    b.excludedPaths.insert("/x");
    EXPECT_EQ(a, b);
    b.projectRoots = {"/r"};
    EXPECT_NE(a, b);
}

TEST_F(ScanSettingsTest, ExclusionCoversThePathAndBelow) {
    ScanSettings settings(1, 1, {}, {}, {"/Users/a/Projects"});
    EXPECT_TRUE(settings.isExcluded("/Users/a/Projects"));
    EXPECT_TRUE(settings.isExcluded("/Users/a/Projects/x"));
    EXPECT_TRUE(settings.isExcluded("/Users/a/Projects/x/../y"));
    EXPECT_TRUE(settings.isExcluded("/Users/a//Projects/"));
    EXPECT_FALSE(settings.isExcluded("/Users/a/Projects2"));
    EXPECT_FALSE(settings.isExcluded("/Users/a"));
    EXPECT_FALSE(settings.isExcluded("/Users/a/Projects/../Other"));
    EXPECT_FALSE(ScanSettings(1, 1, {}, {}, {}).isExcluded("/Users/a/Projects"));
}

TEST_F(ScanSettingsTest, ExcludedEntriesAreStandardisedToo) {
    ScanSettings settings(1, 1, {}, {}, {"/Users/a/Projects/", "~/keep"});
    EXPECT_TRUE(settings.isExcluded("/Users/a/Projects/x"));
    EXPECT_TRUE(settings.isExcluded(home.path("keep/inner")));
}

TEST_F(ScanSettingsTest, OverlapCatchesEnclosingPaths) {
    ScanSettings settings(1, 1, {}, {}, {"/Users/a/Projects/keep"});
    EXPECT_FALSE(settings.isExcluded("/Users/a/Projects"));
    EXPECT_TRUE(settings.overlapsExcluded("/Users/a/Projects"));
    EXPECT_TRUE(settings.overlapsExcluded("/Users/a/Projects/keep/x"));
    EXPECT_FALSE(settings.overlapsExcluded("/Users/a/Projects/kee"));
    EXPECT_FALSE(settings.overlapsExcluded("/Users/a/Other"));
}

TEST_F(ScanSettingsTest, NulPathsCountAsExcluded) {
    ScanSettings settings(1, 1, {}, {}, {"/x"});
    EXPECT_TRUE(settings.isExcluded(std::string("/y\0z", 4)));
}

TEST_F(ScanSettingsTest, StaleDaysNeverBelowOne) {
    ScanSettings settings(1, 0, {}, {}, {});
    EXPECT_EQ(settings.effectiveStaleProjectDays(), 1);
    settings.staleProjectDays = -3;
    EXPECT_EQ(settings.effectiveStaleProjectDays(), 1);
    settings.staleProjectDays = 30;
    EXPECT_EQ(settings.effectiveStaleProjectDays(), 30);
}

}  // namespace
}  // namespace korvane
