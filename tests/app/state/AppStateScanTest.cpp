#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "core/safety/HistoryStore.h"
#include "core/text/IsoDate.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

using testing::waitUntil;
using Route = AppState::Route;
using Mode = AppState::Mode;

std::set<std::string> pathsOf(const ScanResult& scan) {
    std::set<std::string> paths;
    for (const auto& candidate : scan.allCandidates()) paths.insert(candidate.path);
    return paths;
}

// Stored dates keep whole seconds only, so scans are told apart by their candidates.
std::vector<UUID> idsOf(const std::optional<ScanResult>& scan) {
    std::vector<UUID> ids;
    if (scan)
        for (const auto& candidate : scan->allCandidates()) ids.push_back(candidate.id);
    return ids;
}

class AppStateScan : public ::testing::Test {
protected:
    // The next engine's Xcode scanner reports `quick` at once; its Docker
    // scanner, when given candidates, waits at the returned gate.
    testing::FakeScanner::Gate prepare(std::vector<CleanupCandidate> quick,
                                       std::vector<CleanupCandidate> held = {}) {
        auto gate = std::make_shared<std::atomic<bool>>(false);
        harness.scanners = [quick, held, gate] {
            ScannerEngine::Scanners scanners;
            scanners.push_back(std::make_unique<testing::FakeScanner>(CleanupCategory::xcode, quick));
            if (!held.empty())
                scanners.push_back(
                    std::make_unique<testing::FakeScanner>(CleanupCategory::docker, held, gate));
            return scanners;
        };
        return gate;
    }
    CleanupCandidate item(const std::string& name, SafetyLevel safety = SafetyLevel::safe) {
        return testing::makeCandidate(CleanupCategory::xcode, harness.home.path(name), safety);
    }
    std::optional<ScanResult> savedScan() const {
        return HistoryStore(harness.historyDirectory).loadLastScan();
    }
    std::size_t snapshotCount() const { return HistoryStore(harness.historyDirectory).snapshots().size(); }
    // Each write replaces the file, so a second one shows as a new inode.
    ino_t lastScanInode() const {
        struct stat info {};
        const auto path = harness.historyDirectory + "/last-scan.json";
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }
    bool appliedAndSaved(AppState& state) {
        return waitUntil([&] {
            return state.navigation().route() == Route::explore && savedScan() &&
                   idsOf(savedScan()) == idsOf(state.developer().scan());
        });
    }

    testing::AppStateHarness harness;
};

TEST_F(AppStateScan, StartRunsOneScanAndAppliesItsResult) {
    const auto safe = item("a"), caution = item("b", SafetyLevel::caution), held = item("c");
    const auto gate = prepare({safe, caution}, {held});
    const auto state = harness.make();

    state->developer().startScan();
    EXPECT_EQ(state->navigation().route(), Route::scanning);
    EXPECT_EQ(state->preferences().mode(), AppState::Mode::developer);
    EXPECT_EQ(harness.settings.value("onboarding.completed"), "true");
    state->developer().startScan();  // a second start while scanning changes nothing
    EXPECT_EQ(harness.enginesMade, 1);
    EXPECT_EQ(harness.settings.writes["mode"], 1);

    ASSERT_TRUE(waitUntil([&] { return state->developer().scanProgress().fraction > 0.5; }));
    EXPECT_EQ(state->navigation().route(), Route::scanning);
    *gate = true;
    ASSERT_TRUE(waitUntil([&] { return state->navigation().route() == Route::explore; }));
    EXPECT_EQ(pathsOf(*state->developer().scan()),
              (std::set<std::string>{safe.path, caution.path, held.path}));
    EXPECT_EQ(state->developer().selection(), (std::set<UUID>{safe.id, held.id}));
    EXPECT_EQ(state->navigation().selectedID(), "root");
    ASSERT_TRUE(waitUntil([&] { return snapshotCount() == 1; }));
    EXPECT_EQ(idsOf(savedScan()), idsOf(state->developer().scan()));

    // Cancelling after the result changes nothing.
    const auto shown = state->developer().scan();
    state->navigation().setRoute(Route::finished);
    state->developer().cancelDeveloperScan();
    EXPECT_EQ(state->navigation().route(), Route::finished);
    EXPECT_EQ(state->developer().scan(), shown);
}

TEST_F(AppStateScan, CancellingTheFirstScanShowsOnboardingThenWhatFinishedWithoutSavingIt) {
    const auto quick = item("a");
    prepare({quick}, {item("c")});
    auto state = harness.make();
    state->developer().startScan();
    // The sweep and the quick scanner have reported; the held one waits.
    ASSERT_TRUE(waitUntil([&] { return state->developer().scanProgress().fraction > 0.6; }));

    state->developer().cancelDeveloperScan();
    EXPECT_EQ(state->navigation().route(), Route::onboarding);
    ASSERT_TRUE(waitUntil([&] { return state->navigation().route() == Route::explore; }));
    EXPECT_EQ(pathsOf(*state->developer().scan()), std::set<std::string>{quick.path});
    EXPECT_EQ(state->developer().selection(), std::set<UUID>{quick.id});
    state.reset();  // waits for every history write
    EXPECT_FALSE(savedScan());
    EXPECT_EQ(snapshotCount(), 0u);
}

TEST_F(AppStateScan, ACancelledRunFinishingAfterARescanIsNeverShown) {
    prepare({item("old")}, {item("old-held")});
    auto state = harness.make();
    state->developer().startScan();
    state->developer().cancelDeveloperScan();

    const auto fresh = item("new"), freshHeld = item("new-held");
    const auto gate = prepare({fresh}, {freshHeld});
    state->developer().startScan();
    EXPECT_EQ(harness.enginesMade, 2);
    // The cancelled run ends at once; its result and progress must not land.
    EXPECT_FALSE(waitUntil(
        [&] { return state->navigation().route() != Route::scanning || state->developer().scan(); }, 0.5));

    *gate = true;
    ASSERT_TRUE(waitUntil([&] { return state->navigation().route() == Route::explore; }));
    EXPECT_EQ(pathsOf(*state->developer().scan()), (std::set<std::string>{fresh.path, freshHeld.path}));
    const auto shown = idsOf(state->developer().scan());
    state.reset();
    EXPECT_EQ(idsOf(savedScan()), shown);
}

TEST_F(AppStateScan, HistoryIsWrittenOncePerAppliedScan) {
    prepare({item("a")});
    const auto state = harness.make();
    state->developer().startScan();
    ASSERT_TRUE(appliedAndSaved(*state));
    const ino_t first = lastScanInode();
    waitUntil([] { return false; }, 0.3);
    EXPECT_EQ(lastScanInode(), first);

    prepare({item("b")});
    state->developer().startScan();
    ASSERT_TRUE(appliedAndSaved(*state));
    EXPECT_NE(lastScanInode(), first);
    EXPECT_EQ(snapshotCount(), 1u);  // one a day
}

TEST_F(AppStateScan, AScanWithCategoriesSwitchedOffIsShownAndSavedButNeverRecordedAsAFall) {
    prepare({item("a")});
    const auto state = harness.make();
    auto settings = state->preferences().settings();
    settings.enabledCategories.erase(CleanupCategory::toolchains);
    state->preferences().setSettings(settings);
    state->developer().startScan();
    ASSERT_TRUE(appliedAndSaved(*state));
    EXPECT_EQ(savedScan()->switchedOff, std::vector<CleanupCategory>{CleanupCategory::toolchains});
    waitUntil([] { return false; }, 0.3);
    EXPECT_EQ(snapshotCount(), 0u);

    settings.enabledCategories.insert(CleanupCategory::toolchains);
    state->preferences().setSettings(settings);
    prepare({item("b")});
    state->developer().startScan();
    ASSERT_TRUE(appliedAndSaved(*state));
    ASSERT_TRUE(waitUntil([&] { return snapshotCount() == 1u; }));
}

// Monday 10:00 schedule; a due run while a scan or a cleanup runs waits,
// unrecorded: a scan that ends whole was its scan, a cleanup's end runs it.
TEST_F(AppStateScan, ADueScheduleStartsAScanUnlessAScanOrACleanupRuns) {
    const auto gate = prepare({item("a")}, {item("b")});
    harness.clock.setLocal(QDate(2024, 3, 4), QTime(10, 0));
    Automation::Schedule schedule;
    schedule.isEnabled = true;
    schedule.weekday = 2;
    harness.settings.values["automation.schedule"] = nlohmann::json(schedule).dump();

    const auto state = harness.make();  // due at launch
    // Behind the window: the screen and the mode stay.
    EXPECT_EQ(state->navigation().route(), Route::onboarding);
    EXPECT_EQ(state->preferences().mode(), Mode::general);
    EXPECT_TRUE(state->developer().isScanning());
    EXPECT_EQ(harness.enginesMade, 1);
    const auto firstRun = harness.settings.value("automation.lastRun");
    EXPECT_EQ(firstRun, IsoDate::format(harness.clock.moment));
    harness.clock.setLocal(QDate(2024, 3, 11), QTime(10, 0));
    state->automation().checkDue();
    EXPECT_EQ(harness.settings.value("automation.lastRun"), firstRun);
    EXPECT_TRUE(state->automation().isWaiting());
    EXPECT_EQ(harness.enginesMade, 1);
    *gate = true;
    ASSERT_TRUE(waitUntil([&] { return !state->developer().isScanning(); }));
    EXPECT_TRUE(state->developer().hasScan());
    EXPECT_EQ(state->navigation().route(), Route::onboarding);
    EXPECT_EQ(harness.settings.value("automation.lastRun"), IsoDate::format(harness.clock.moment));
    EXPECT_FALSE(state->automation().isWaiting());
    waitUntil([] { return false; }, 0.1);
    EXPECT_EQ(harness.enginesMade, 1);

    state->navigation().setRoute(Route::cleaning);
    state->developer().startScan();
    harness.clock.setLocal(QDate(2024, 3, 18), QTime(10, 0));
    const auto dueAt = harness.clock.moment;
    state->automation().checkDue();
    EXPECT_NE(harness.settings.value("automation.lastRun"), IsoDate::format(dueAt));
    EXPECT_EQ(harness.enginesMade, 1);
    EXPECT_EQ(state->navigation().route(), Route::cleaning);
    // The cleaning screen is left the next morning: the run that waited runs then, behind the completion card.
    harness.clock.setLocal(QDate(2024, 3, 19), QTime(8, 0));
    state->navigation().setRoute(Route::finished);
    ASSERT_TRUE(waitUntil([&] { return harness.enginesMade == 2; }));
    EXPECT_EQ(harness.settings.value("automation.lastRun"), IsoDate::format(harness.clock.moment));
    EXPECT_EQ(state->navigation().route(), Route::finished);
    EXPECT_FALSE(state->automation().isWaiting());
}

// A scan the user stops is no run: the schedule's run that waited for it starts then.
TEST_F(AppStateScan, ADueRunThatWaitedForAStoppedScanStartsWhenItStops) {
    const auto gate = prepare({item("a")}, {item("b")});
    harness.clock.setLocal(QDate(2024, 3, 4), QTime(9, 0));
    const auto state = harness.make();
    Automation::Schedule schedule;
    schedule.isEnabled = true;
    schedule.weekday = 2;
    state->automation().setSchedule(schedule);
    state->developer().startScan();
    ASSERT_EQ(state->navigation().route(), Route::scanning);
    harness.clock.setLocal(QDate(2024, 3, 4), QTime(10, 30));
    state->automation().checkDue();
    EXPECT_TRUE(state->automation().isWaiting());
    EXPECT_FALSE(harness.settings.value("automation.lastRun"));
    state->developer().cancelDeveloperScan();
    ASSERT_TRUE(waitUntil([&] { return harness.enginesMade == 2; }));
    EXPECT_EQ(harness.settings.value("automation.lastRun"), IsoDate::format(harness.clock.moment));
    EXPECT_NE(state->navigation().route(), Route::scanning);
    *gate = true;
}

TEST_F(AppStateScan, AnAppliedScanAlertsThroughTheNotifier) {
    prepare({item("a")});
    const auto state = harness.make();
    Automation::Schedule schedule;
    schedule.lowSpaceAlertGB = 1'000'000'000;  // any disk is "low"
    state->automation().setSchedule(schedule);
    state->developer().startScan();
    ASSERT_TRUE(waitUntil([&] { return state->navigation().route() == Route::explore; }));
    ASSERT_EQ(harness.notifier.posted.size(), 1u);
    EXPECT_EQ(harness.notifier.posted[0].second, "Korvane can reclaim 50 MB from your development tools.");
}

TEST_F(AppStateScan, AClickOnTheAlertShowsTheScanItToldOfUnlessTheUserIsBusy) {
    prepare({item("a")});
    struct Case {
        const char* name;
        std::function<void(AppState&)> userIs;
        bool shown;
    };
    const Case cases[] = {
        {"in general mode", [](AppState& state) { state.preferences().setMode(AppState::Mode::general); },
         true},
        {"on a canvas deeper down",
         [](AppState& state) {
             state.navigation().setFocusedID(std::string(rawValue(CleanupCategory::xcode)));
         },
         true},
        {"in the settings", [](AppState& state) { state.navigation().setSheet(AppState::Sheet::settings); },
         false},
        {"reviewing", [](AppState& state) { state.navigation().setSheet(AppState::Sheet::review); }, false},
        {"looking at a finished cleanup",
         [](AppState& state) { state.navigation().setRoute(Route::finished); }, false},
    };
    for (const auto& c : cases) {
        const auto state = harness.make();
        state->developer().startScan();
        ASSERT_TRUE(waitUntil([&] { return state->navigation().route() == Route::explore; })) << c.name;
        c.userIs(*state);
        const auto mode = state->preferences().mode();
        const auto route = state->navigation().route();
        const auto sheet = state->navigation().sheet();
        const auto focused = state->navigation().focusedID();
        int broughtForward = 0;
        QObject::connect(&state->automation(), &Automation::alertOpened, [&] { ++broughtForward; });
        harness.notifier.click();
        EXPECT_EQ(broughtForward, 1) << c.name;
        if (c.shown) {
            EXPECT_EQ(state->preferences().mode(), AppState::Mode::developer) << c.name;
            EXPECT_EQ(state->navigation().route(), Route::explore) << c.name;
            EXPECT_FALSE(state->navigation().focusedID()) << c.name;
        } else {
            EXPECT_EQ(state->preferences().mode(), mode) << c.name;
            EXPECT_EQ(state->navigation().route(), route) << c.name;
            EXPECT_EQ(state->navigation().sheet(), sheet) << c.name;
            EXPECT_EQ(state->navigation().focusedID(), focused) << c.name;
        }
    }
}

}  // namespace
}  // namespace korvane
