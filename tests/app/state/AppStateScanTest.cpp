#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "core/safety/HistoryStore.h"
#include "core/text/IsoDate.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

using testing::AppStateHarness;
using testing::makeCandidate;
using testing::ScanGate;
using testing::waitUntil;

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
    std::shared_ptr<ScanGate> prepare(std::vector<CleanupCandidate> quick,
                                      std::vector<CleanupCandidate> held = {}) {
        auto gate = std::make_shared<ScanGate>();
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
        return makeCandidate(CleanupCategory::xcode, harness.home.path(name), safety);
    }

    std::optional<ScanResult> savedScan() const {
        return HistoryStore(harness.historyDirectory).loadLastScan();
    }
    std::size_t snapshotCount() const { return HistoryStore(harness.historyDirectory).snapshots().size(); }
    ino_t lastScanInode() const {
        struct stat info {};
        return ::stat(harness.historyFile("last-scan.json").c_str(), &info) == 0 ? info.st_ino : 0;
    }

    AppStateHarness harness;
};

TEST_F(AppStateScan, StartRunsOneScanAndAppliesItsResult) {
    const auto safe = item("a"), caution = item("b", SafetyLevel::caution), held = item("c");
    const auto gate = prepare({safe, caution}, {held});
    const auto state = harness.make();

    state->startScan();
    EXPECT_EQ(state->route(), AppState::Route::scanning);
    EXPECT_EQ(state->mode(), AppState::Mode::developer);
    EXPECT_EQ(harness.settings.value("onboarding.completed"), "true");
    // A second start while scanning changes nothing at all.
    state->startScan();
    EXPECT_EQ(harness.enginesMade, 1);
    EXPECT_EQ(harness.settings.writeCount("mode"), 1);
    EXPECT_EQ(harness.settings.writeCount("onboarding.completed"), 1);

    ASSERT_TRUE(waitUntil([&] { return state->scanProgress().fraction > 0.5; }));
    EXPECT_EQ(state->route(), AppState::Route::scanning);
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return state->route() == AppState::Route::explore; }));

    ASSERT_TRUE(state->scan());
    EXPECT_EQ(pathsOf(*state->scan()), (std::set<std::string>{safe.path, caution.path, held.path}));
    EXPECT_EQ(state->selection(), (std::set<UUID>{safe.id, held.id}));
    EXPECT_EQ(state->selectedID(), "root");
    EXPECT_EQ(state->tree().children.size(), 2u);
    ASSERT_TRUE(waitUntil([&] { return savedScan() && idsOf(savedScan()) == idsOf(state->scan()); }));
    EXPECT_EQ(snapshotCount(), 1u);
}

TEST_F(AppStateScan, CancellingTheFirstScanShowsOnboardingThenWhatFinishedWithoutSavingIt) {
    const auto quick = item("a"), held = item("c");
    prepare({quick}, {held});
    auto state = harness.make();
    state->startScan();
    // The sweep and the quick scanner have reported; the held one waits.
    ASSERT_TRUE(waitUntil([&] { return state->scanProgress().fraction > 0.6; }));

    state->cancelDeveloperScan();
    EXPECT_EQ(state->route(), AppState::Route::onboarding);
    ASSERT_TRUE(waitUntil([&] { return state->route() == AppState::Route::explore; }));
    ASSERT_TRUE(state->scan());
    EXPECT_EQ(pathsOf(*state->scan()), std::set<std::string>{quick.path});
    EXPECT_EQ(state->selection(), std::set<UUID>{quick.id});

    state.reset();  // waits for every history write
    EXPECT_FALSE(savedScan());
    EXPECT_EQ(snapshotCount(), 0u);
}

TEST_F(AppStateScan, CancelAfterTheResultChangesNothing) {
    prepare({item("a")});
    const auto state = harness.make();
    state->startScan();
    ASSERT_TRUE(waitUntil([&] { return state->route() == AppState::Route::explore; }));
    const auto shown = state->scan();
    state->setRoute(AppState::Route::finished);

    state->cancelDeveloperScan();
    EXPECT_EQ(state->route(), AppState::Route::finished);
    EXPECT_EQ(state->scan(), shown);
}

TEST_F(AppStateScan, ACancelledRunFinishingAfterARescanIsNeverShown) {
    const auto old = item("old"), oldHeld = item("old-held");
    prepare({old}, {oldHeld});
    auto state = harness.make();
    state->startScan();
    state->cancelDeveloperScan();
    EXPECT_EQ(state->route(), AppState::Route::onboarding);

    const auto fresh = item("new"), freshHeld = item("new-held");
    const auto gate = prepare({fresh}, {freshHeld});
    state->startScan();
    EXPECT_EQ(harness.enginesMade, 2);
    // The cancelled run ends at once; its result and progress must not land.
    EXPECT_FALSE(
        waitUntil([&] { return state->route() != AppState::Route::scanning || state->scan(); }, 0.5));

    gate->open();
    ASSERT_TRUE(waitUntil([&] { return state->route() == AppState::Route::explore; }));
    EXPECT_EQ(pathsOf(*state->scan()), (std::set<std::string>{fresh.path, freshHeld.path}));
    const auto shown = idsOf(state->scan());
    state.reset();
    EXPECT_EQ(idsOf(savedScan()), shown);
}

TEST_F(AppStateScan, HistoryIsWrittenOncePerAppliedScan) {
    prepare({item("a")});
    const auto state = harness.make();
    state->startScan();
    ASSERT_TRUE(waitUntil([&] {
        return state->route() == AppState::Route::explore && savedScan() &&
               idsOf(savedScan()) == idsOf(state->scan());
    }));
    const ino_t first = lastScanInode();
    waitUntil([] { return false; }, 0.3);
    EXPECT_EQ(lastScanInode(), first);  // each write replaces the file, so a second one shows

    prepare({item("b")});
    state->startScan();
    ASSERT_TRUE(waitUntil([&] {
        return state->route() == AppState::Route::explore && savedScan() &&
               idsOf(savedScan()) == idsOf(state->scan());
    }));
    EXPECT_NE(lastScanInode(), first);
    EXPECT_EQ(snapshotCount(), 1u);  // one a day
}

TEST_F(AppStateScan, NoScanStartsWhileACleanupRunsNorFromADueScheduleThen) {
    prepare({item("a")});
    const auto state = harness.make();
    state->setRoute(AppState::Route::cleaning);
    state->startScan();
    EXPECT_EQ(harness.enginesMade, 0);
    EXPECT_EQ(state->mode(), AppState::Mode::general);

    // Monday 11:00 with a Monday 10:00 schedule: due now; the run counts as
    // held, like one falling in a scan.
    harness.clock.setLocal(QDate(2024, 3, 4), QTime(11, 0));
    Automation::Schedule schedule;
    schedule.isEnabled = true;
    schedule.weekday = 2;
    state->automation().setSchedule(schedule);
    EXPECT_TRUE(harness.settings.value("automation.lastRun"));
    EXPECT_EQ(harness.enginesMade, 0);
    EXPECT_EQ(state->route(), AppState::Route::cleaning);
}

TEST_F(AppStateScan, ADueScheduleStartsAScanUnlessOneRuns) {
    const auto gate = prepare({item("a")}, {item("b")});
    harness.clock.setLocal(QDate(2024, 3, 4), QTime(10, 0));
    Automation::Schedule schedule;
    schedule.isEnabled = true;
    schedule.weekday = 2;
    harness.settings.values["automation.schedule"] = nlohmann::json(schedule).dump();

    // Due at launch: the callback installed at start-up starts the scan.
    const auto state = harness.make();
    EXPECT_EQ(state->route(), AppState::Route::scanning);
    EXPECT_EQ(harness.enginesMade, 1);
    // Due again on another day while that scan still runs: recorded, no second scan.
    harness.clock.setLocal(QDate(2024, 3, 11), QTime(10, 0));
    state->automation().checkDue();
    EXPECT_EQ(harness.settings.value("automation.lastRun"), IsoDate::format(harness.clock.moment));
    EXPECT_EQ(harness.enginesMade, 1);
    gate->open();
}

TEST_F(AppStateScan, AnAppliedScanMayAlertButOnlyWhileAlertsAreOn) {
    for (const bool alertsOn : {true, false}) {
        SCOPED_TRACE(alertsOn);
        prepare({item("a")});
        harness.notifier.posted.clear();
        const auto state = harness.make();
        Automation::Schedule schedule;
        schedule.lowSpaceAlertGB = 1'000'000'000;  // any disk is "low"
        schedule.alertsEnabled = alertsOn;
        state->automation().setSchedule(schedule);

        state->startScan();
        ASSERT_TRUE(waitUntil([&] { return state->route() == AppState::Route::explore; }));
        if (alertsOn) {
            ASSERT_EQ(harness.notifier.posted.size(), 1u);
            EXPECT_EQ(harness.notifier.posted[0].first.rfind("Only ", 0), 0u);
            EXPECT_EQ(harness.notifier.posted[0].second,
                      "Korvane can reclaim 50 MB from your development tools.");
        } else {
            EXPECT_TRUE(harness.notifier.posted.empty());
            EXPECT_FALSE(state->automation().standingAlert());
        }
    }
}

}  // namespace
}  // namespace korvane
