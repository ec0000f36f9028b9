#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/safety/HistoryStore.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

using testing::AppStateHarness;
using testing::makeCandidate;

ScanResult savedScan(const std::string& home) {
    std::vector<CleanupCandidate> xcode = {
        makeCandidate(CleanupCategory::xcode, home + "/Library/Developer/Xcode/DerivedData/App",
                      SafetyLevel::safe),
        makeCandidate(CleanupCategory::xcode, home + "/Library/Developer/Xcode/Archives/Old",
                      SafetyLevel::caution),
    };
    std::vector<CleanupCandidate> node = {
        makeCandidate(CleanupCategory::node, home + "/work/keep/node_modules", SafetyLevel::safe),
        makeCandidate(CleanupCategory::node, home + "/work/keep",
                      SafetyLevel::safe),  // encloses an exclusion
        makeCandidate(CleanupCategory::node, home + "/.npm/_cacache", SafetyLevel::safe),
    };
    return ScanResult(
        std::chrono::system_clock::now(), 3,
        {CategoryResult(CleanupCategory::xcode, 1, xcode), CategoryResult(CleanupCategory::node, 1, node)},
        VolumeInfo(1000, 500), {});
}

std::set<std::string> pathsOf(const ScanResult& scan) {
    std::set<std::string> titles;
    for (const auto& candidate : scan.allCandidates()) titles.insert(candidate.path);
    return titles;
}

TEST(AppStateStartup, FreshProfileOpensOnOnboardingWithEveryInitialValue) {
    AppStateHarness harness;
    const auto state = harness.make();

    EXPECT_EQ(state->route(), AppState::Route::onboarding);
    EXPECT_EQ(state->mode(), AppState::Mode::general);
    EXPECT_EQ(state->themeID(), ThemeID::paper);
    EXPECT_EQ(state->canvasMode(), AppState::CanvasMode::strata);
    EXPECT_EQ(state->sunburstDepth(), 3);
    EXPECT_TRUE(state->showsProtected());
    EXPECT_EQ(state->generalSection(), AppState::GeneralSection::explore);
    EXPECT_EQ(state->scanRoot(), harness.home.root());
    EXPECT_EQ(state->settings(), ScanSettings::defaultSettings());
    EXPECT_FALSE(state->disposalOverride());
    EXPECT_FALSE(state->scan());
    EXPECT_FALSE(state->sheet());
    EXPECT_FALSE(state->selectedID());
    EXPECT_TRUE(state->selection().empty());
    EXPECT_EQ(state->scanProgress(), ScanProgress::idle());
    EXPECT_EQ(state->searchSort(), FileSearch::Sort::size);
    EXPECT_TRUE(state->searchQuery().isEmpty());
    EXPECT_EQ(state->tree().id, "root");
    EXPECT_EQ(state->tree().name, "Developer storage");
    EXPECT_TRUE(state->tree().children.empty());
    // The statistics are read once before the timer's first tick.
    EXPECT_EQ(state->stats().physicalMemory, 1024000);
    EXPECT_FALSE(state->automation().isTimerActive());
    // Nothing is written at start-up on a fresh profile.
    EXPECT_TRUE(harness.settings.writes.empty());
}

// Every start-up state the stored settings and history can give.
TEST(AppStateStartup, StoredValuesAndHistoryDecideTheFirstScreen) {
    struct Row {
        const char* name;
        std::map<std::string, std::string> stored;
        bool lastScan;
        AppState::Route route;
        AppState::Mode mode;
        ThemeID theme;
        std::optional<Disposal> disposal;
    };
    const std::vector<Row> rows = {
        {"developer mode without a scan stays on onboarding",
         {{"mode", "developer"}},
         false,
         AppState::Route::onboarding,
         AppState::Mode::developer,
         ThemeID::paper,
         std::nullopt},
        {"onboarding completed without a scan",
         {{"onboarding.completed", "true"}, {"theme", "nord"}},
         false,
         AppState::Route::explore,
         AppState::Mode::general,
         ThemeID::nord,
         std::nullopt},
        {"saved scan",
         {{"cleanup.disposal", "delete"}},
         true,
         AppState::Route::explore,
         AppState::Mode::general,
         ThemeID::paper,
         Disposal::delete_},
        {"undecodable values are ignored",
         {{"mode", "General"},
          {"theme", "Nord"},
          {"cleanup.disposal", "bin"},
          {"onboarding.completed", "yes"},
          {"scan.settings", "{\"noiseFloorBytes\": 1"}},
         false,
         AppState::Route::onboarding,
         AppState::Mode::general,
         ThemeID::paper,
         std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppStateHarness harness;
        for (const auto& [key, value] : row.stored) harness.settings.values[key] = value;
        if (row.lastScan) HistoryStore(harness.historyDirectory).saveLastScan(savedScan(harness.home.root()));

        const auto state = harness.make();
        EXPECT_EQ(state->route(), row.route);
        EXPECT_EQ(state->mode(), row.mode);
        EXPECT_EQ(state->themeID(), row.theme);
        EXPECT_EQ(state->disposalOverride(), row.disposal);
        EXPECT_EQ(state->scan().has_value(), row.lastScan);
        EXPECT_EQ(state->settings(), ScanSettings::defaultSettings());
    }
}

TEST(AppStateStartup, RestoredScanSelectsDefaultsAndDropsWhatTheUserNeverWantsTouched) {
    AppStateHarness harness;
    const std::string home = harness.home.root();
    HistoryStore(harness.historyDirectory).saveLastScan(savedScan(home));
    const auto saved = HistoryStore(harness.historyDirectory).loadLastScan();
    ScanSettings settings({}, 30, {}, {CleanupCategory::xcode, CleanupCategory::node},
                          {home + "/work/keep/"});
    harness.settings.values["scan.settings"] = nlohmann::json(settings).dump();

    const auto state = harness.make();

    EXPECT_EQ(state->settings(), settings);
    ASSERT_TRUE(state->scan());
    EXPECT_EQ(
        pathsOf(*state->scan()),
        (std::set<std::string>{home + "/Library/Developer/Xcode/DerivedData/App",
                               home + "/Library/Developer/Xcode/Archives/Old", home + "/.npm/_cacache"}));
    // Safe items start selected, the caution one does not.
    std::set<UUID> expected;
    for (const auto& candidate : state->scan()->allCandidates())
        if (candidate.safety == SafetyLevel::safe) expected.insert(candidate.id);
    EXPECT_EQ(state->selection(), expected);
    EXPECT_EQ(state->selectedID(), "root");
    EXPECT_EQ(state->tree().children.size(), 2u);
    // The restored scan is neither saved again nor recorded.
    EXPECT_EQ(HistoryStore(harness.historyDirectory).loadLastScan(), saved);
    EXPECT_TRUE(HistoryStore(harness.historyDirectory).snapshots().empty());
}

TEST(AppStateStartup, UnreadableLastScanOpensAsIfThereWereNone) {
    AppStateHarness harness;
    harness.home.text("history/last-scan.json", "{ not json");
    harness.settings.values["onboarding.completed"] = "true";
    const auto state = harness.make();
    EXPECT_FALSE(state->scan());
    EXPECT_EQ(state->route(), AppState::Route::explore);
}

TEST(AppStateSettings, SaveWritesBothValuesAndRemovesAnUnchosenDisposal) {
    AppStateHarness harness;
    harness.settings.values["cleanup.disposal"] = "bin";
    {
        const auto state = harness.make();
        EXPECT_FALSE(state->disposalOverride());
        // The odd stored string stays until the next save.
        EXPECT_EQ(harness.settings.value("cleanup.disposal"), "bin");
        state->saveSettings();
        EXPECT_FALSE(harness.settings.value("cleanup.disposal"));

        ScanSettings changed = state->settings();
        changed.noiseFloorBytes = 1;
        changed.excludedPaths = {"/tmp/a b,c\"d"};
        state->setSettings(changed);
        state->setDisposalOverride(Disposal::trash);
        state->saveSettings();
    }
    const auto reopened = harness.make();
    EXPECT_EQ(reopened->settings().noiseFloorBytes, 1);
    EXPECT_EQ(reopened->settings().excludedPaths, (std::set<std::string>{"/tmp/a b,c\"d"}));
    EXPECT_EQ(reopened->disposalOverride(), Disposal::trash);
}

TEST(AppStateSettings, ModeAndThemeAreStoredOnEveryAssignment) {
    AppStateHarness harness;
    const auto state = harness.make();
    state->setMode(AppState::Mode::general);
    state->setMode(AppState::Mode::general);
    state->setThemeID(ThemeID::solar);
    EXPECT_EQ(harness.settings.writeCount("mode"), 2);
    EXPECT_EQ(harness.settings.value("mode"), "general");
    EXPECT_EQ(harness.settings.value("theme"), "solar");
}

TEST(AppStateTree, RebuildKeepsIdsThatStillNameANodeAndClearsTheRest) {
    AppStateHarness harness;
    HistoryStore(harness.historyDirectory).saveLastScan(savedScan(harness.home.root()));
    const auto state = harness.make();
    const auto dangerous = makeCandidate(CleanupCategory::docker, "/var/lib/docker", SafetyLevel::dangerous);
    ScanResult withProtected = *state->scan();
    withProtected.categories.push_back(CategoryResult(CleanupCategory::docker, 1, {dangerous}));
    state->setScan(withProtected);
    state->rebuildDeveloperTree();
    state->setFocusedID("docker");
    state->setSelectedID("node");

    // Hiding protected items removes the docker category, which held only one.
    state->setShowsProtected(false);
    EXPECT_FALSE(state->focusedID());
    EXPECT_EQ(state->selectedID(), "node");

    state->setScan(std::nullopt);
    state->setFocusedID("root");
    state->setShowsProtected(false);  // the same value still rebuilds
    EXPECT_TRUE(state->tree().children.empty());
    EXPECT_EQ(state->focusedID(), "root");
    EXPECT_FALSE(state->selectedID());
}

}  // namespace
}  // namespace korvane
