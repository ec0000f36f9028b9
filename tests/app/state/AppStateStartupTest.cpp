#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/safety/HistoryStore.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

using testing::AppStateHarness;
using testing::makeCandidate;
using Route = AppState::Route;
using Mode = AppState::Mode;

ScanResult savedScan(const std::string& home) {
    const auto node = [&](const std::string& path) {
        return makeCandidate(CleanupCategory::node, home + path, SafetyLevel::safe);
    };
    return ScanResult(
        std::chrono::system_clock::now(), 3,
        {CategoryResult(
             CleanupCategory::xcode, 1,
             {makeCandidate(CleanupCategory::xcode, home + "/Library/Derived/App", SafetyLevel::safe),
              makeCandidate(CleanupCategory::xcode, home + "/Library/Archives/Old", SafetyLevel::caution)}),
         // The second one encloses the excluded folder below.
         CategoryResult(CleanupCategory::node, 1,
                        {node("/work/keep/node_modules"), node("/work/keep"), node("/.npm")})},
        VolumeInfo(1000, 500), {});
}

// Every start-up state the stored settings and history can give.
TEST(AppStateStartup, StoredValuesAndHistoryDecideTheFirstScreen) {
    enum class History { none, saved, garbage };
    struct Row {
        const char* name;
        std::map<std::string, std::string> stored;
        History history;
        Route route;
        Mode mode;
        ThemeID theme;
        std::optional<Disposal> disposal;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"fresh profile", {}, History::none, Route::onboarding, Mode::general, ThemeID::paper, std::nullopt},
        {"developer mode without a scan stays on onboarding", {{"mode", "developer"}}, History::none,
         Route::onboarding, Mode::developer, ThemeID::paper, std::nullopt},
        {"onboarding completed without a scan", {{"onboarding.completed", "true"}, {"theme", "nord"}},
         History::none, Route::explore, Mode::general, ThemeID::nord, std::nullopt},
        {"saved scan", {{"cleanup.disposal", "delete"}}, History::saved, Route::explore, Mode::general,
         ThemeID::paper, Disposal::delete_},
        {"unreadable last scan", {{"onboarding.completed", "true"}}, History::garbage, Route::explore,
         Mode::general, ThemeID::paper, std::nullopt},
        {"undecodable values are ignored", {{"mode", "General"}, {"theme", "Nord"}, {"cleanup.disposal", "bin"},
          {"onboarding.completed", "yes"}, {"scan.settings", "{\"noiseFloorBytes\": 1"}},
         History::none, Route::onboarding, Mode::general, ThemeID::paper, std::nullopt},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppStateHarness harness;
        for (const auto& [key, value] : row.stored) harness.settings.values[key] = value;
        if (row.history == History::saved)
            HistoryStore(harness.historyDirectory).saveLastScan(savedScan(harness.home.root()));
        if (row.history == History::garbage) harness.home.text("history/last-scan.json", "{ not json");

        const auto state = harness.make();
        EXPECT_EQ(state->navigation().route(), row.route);
        EXPECT_EQ(state->preferences().mode(), row.mode);
        EXPECT_EQ(state->preferences().themeID(), row.theme);
        EXPECT_EQ(state->preferences().disposalOverride(), row.disposal);
        EXPECT_EQ(state->developer().scan().has_value(), row.history == History::saved);
        EXPECT_EQ(state->preferences().settings(), ScanSettings::defaultSettings());
        EXPECT_EQ(state->folderScan().scanRoot(), harness.home.root());
        // The statistics are read once before the timer's first tick.
        EXPECT_EQ(state->liveStats().stats().physicalMemory, 1024000);
        EXPECT_FALSE(state->automation().isTimerActive());
        // Start-up changes nothing it read, not even the undecodable values.
        for (const auto& [key, value] : row.stored) EXPECT_EQ(harness.settings.value(key), value);
        EXPECT_TRUE(!row.stored.empty() || harness.settings.writes.empty());
    }
}

TEST(AppStateStartup, RestoredScanSelectsDefaultsAndDropsWhatTheUserNeverWantsTouched) {
    AppStateHarness harness;
    const std::string home = harness.home.root();
    HistoryStore history(harness.historyDirectory);
    history.saveLastScan(savedScan(home));
    const auto saved = history.loadLastScan();
    ScanSettings settings({}, 30, {}, {CleanupCategory::xcode, CleanupCategory::node},
                          {home + "/work/keep/"});
    harness.settings.values["scan.settings"] = nlohmann::json(settings).dump();

    const auto state = harness.make();
    EXPECT_EQ(state->preferences().settings(), settings);
    ASSERT_TRUE(state->developer().scan());
    std::set<std::string> paths;
    std::set<UUID> safe;
    for (const auto& candidate : state->developer().scan()->allCandidates()) {
        paths.insert(candidate.path);
        if (candidate.safety == SafetyLevel::safe) safe.insert(candidate.id);
    }
    EXPECT_EQ(paths, (std::set<std::string>{home + "/Library/Derived/App", home + "/Library/Archives/Old",
                                            home + "/.npm"}));
    EXPECT_EQ(state->developer().selection(), safe);
    EXPECT_EQ(state->navigation().selectedID(Mode::developer), "root");
    EXPECT_EQ(state->developer().tree().children.size(), 2u);
    // The restored scan is neither saved again nor recorded.
    EXPECT_EQ(history.loadLastScan(), saved);
    EXPECT_TRUE(history.snapshots().empty());
}

TEST(AppStateTree, RebuildKeepsIdsThatStillNameANodeAndClearsTheRest) {
    AppStateHarness harness;
    HistoryStore(harness.historyDirectory).saveLastScan(savedScan(harness.home.root()));
    const auto state = harness.make();
    ScanResult withProtected = *state->developer().scan();
    withProtected.categories.push_back(
        CategoryResult(CleanupCategory::docker, 0,
                       {makeCandidate(CleanupCategory::docker, "/var/lib/docker", SafetyLevel::dangerous)}));
    state->developer().setScan(withProtected);
    state->developer().rebuildDeveloperTree();
    state->preferences().setMode(Mode::developer);
    state->navigation().setFocusedID("docker");
    state->navigation().setSelectedID("node");

    // Hiding protected items removes the docker category, which held only one.
    state->developer().setShowsProtected(false);
    EXPECT_FALSE(state->navigation().focusedID());
    EXPECT_EQ(state->navigation().selectedID(), "node");

    // General mode keeps its own place in the folder tree; developer mode's
    // follows a new developer tree all the same, so coming back finds no
    // node that is gone.
    state->developer().setShowsProtected(true);
    state->navigation().setFocusedID("docker");
    state->preferences().setMode(Mode::general);
    state->navigation().setFocusedID("/data/folder");
    state->developer().setShowsProtected(false);
    EXPECT_EQ(state->navigation().focusedID(), "/data/folder");
    EXPECT_FALSE(state->navigation().focusedID(Mode::developer));
    EXPECT_EQ(state->navigation().selectedID(Mode::developer), "node");
    state->preferences().setMode(Mode::developer);

    state->developer().setScan(std::nullopt);
    state->navigation().setFocusedID("root");
    state->developer().setShowsProtected(false);  // the same value still rebuilds
    EXPECT_TRUE(state->developer().tree().children.empty());
    EXPECT_EQ(state->navigation().focusedID(), "root");
    EXPECT_FALSE(state->navigation().selectedID());
}

}  // namespace
}  // namespace korvane
