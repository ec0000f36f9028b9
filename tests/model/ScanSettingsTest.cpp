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
    EXPECT_EQ(ScanSettings().listedProjectRoots(), expected);
    EXPECT_TRUE(ScanSettings().projectRoots.empty());  // nothing the user chose
    EXPECT_EQ(defaultProjectRootNames().size(), 13u);
}

TEST_F(ScanSettingsTest, JsonRoundTrip) {
    ScanSettings settings(1, 0, {"/b", "/a"}, {CleanupCategory::docker, CleanupCategory::reactNative},
                          {"/x/y", "/a b"});
    settings.removedDefaultRoots = {home.path("Documents")};
    auto j = nlohmann::json(settings);
    EXPECT_EQ(j.size(), 6u);
    EXPECT_EQ(j.at("projectRoots"), nlohmann::json::parse(R"(["/b","/a"])"));
    EXPECT_EQ(decodeJson<ScanSettings>(j), settings);
    ScanSettings empty(-5, -1, {}, {}, {});
    EXPECT_EQ(decodeJson<ScanSettings>(nlohmann::json(empty)), empty);
}

TEST_F(ScanSettingsTest, ADefaultFolderMadeAfterTheSettingsWereSavedIsSearched) {
    home.folder("code");
    ScanSettings settings;
    ASSERT_TRUE(settings.addProjectRoot("/srv/work"));
    const auto saved = decodeJson<ScanSettings>(nlohmann::json(settings));
    ASSERT_TRUE(saved);
    home.folder("Projects");
    EXPECT_EQ(saved->listedProjectRoots(),
              (std::vector<std::string>{home.path("Projects"), home.path("code"), "/srv/work"}));
}

TEST_F(ScanSettingsTest, StoredListsOfEarlierVersionsKeepOnlyTheUsersOwnFolders) {
    home.folder("code");
    home.folder("Documents");
    struct Case {
        const char* name;
        std::vector<std::string> stored;
        std::vector<std::string> own;
    };
    // The stored list held the default folders that existed when it was saved.
    const Case cases[] = {
        {"the defaults of then", {home.path("code"), home.path("Documents")}, {}},
        {"some of the defaults", {home.path("Documents")}, {}},
        {"defaults and the user's own",
         {home.path("code"), "/srv/a", home.path("x")},
         {"/srv/a", home.path("x")}},
        {"a default that is gone", {home.path("work")}, {}},
        {"empty", {}, {}},
    };
    for (const auto& c : cases) {
        nlohmann::json j = nlohmann::json(ScanSettings());
        j.erase("removedDefaultRoots");
        j["projectRoots"] = c.stored;
        const auto read = decodeJson<ScanSettings>(j);
        ASSERT_TRUE(read) << c.name;
        EXPECT_EQ(read->projectRoots, c.own) << c.name;
        EXPECT_TRUE(read->removedDefaultRoots.empty()) << c.name;
        std::vector<std::string> listed = {home.path("code"), home.path("Documents")};
        listed.insert(listed.end(), c.own.begin(), c.own.end());
        EXPECT_EQ(read->listedProjectRoots(), listed) << c.name;
    }
}

TEST_F(ScanSettingsTest, AddingAndRemovingKeepsOnlyTheChoices) {
    home.folder("code");
    home.folder("src");
    struct Step {
        bool add;
        std::string path;
        bool changes;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> own;
        std::set<std::string> removed;
        std::vector<std::string> listed;
    };
    const std::string code = home.path("code"), src = home.path("src"), work = home.path("work");
    const Case cases[] = {
        {"a listed default adds nothing", {{true, code, false}}, {}, {}, {code, src}},
        {"a default taken off stays off", {{false, code, true}}, {}, {code}, {src}},
        {"and comes back when added", {{false, code, true}, {true, code, true}}, {}, {}, {code, src}},
        {"an own folder once",
         {{true, "/srv/a", true}, {true, "/srv/a", false}},
         {"/srv/a"},
         {},
         {code, src, "/srv/a"}},
        {"an own folder taken off", {{true, "/srv/a", true}, {false, "/srv/a", true}}, {}, {}, {code, src}},
        {"a missing default chosen", {{true, work, true}}, {work}, {}, {code, src, work}},
        {"nothing listed to take off", {{false, "/srv/b", false}}, {}, {}, {code, src}},
    };
    for (const auto& c : cases) {
        ScanSettings settings;
        for (const auto& step : c.steps)
            EXPECT_EQ(step.add ? settings.addProjectRoot(step.path) : settings.removeProjectRoot(step.path),
                      step.changes)
                << c.name << " " << step.path;
        EXPECT_EQ(settings.projectRoots, c.own) << c.name;
        EXPECT_EQ(settings.removedDefaultRoots, c.removed) << c.name;
        EXPECT_EQ(settings.listedProjectRoots(), c.listed) << c.name;
    }
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
