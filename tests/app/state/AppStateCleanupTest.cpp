#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "app/presenters/CompletionContent.h"
#include "core/platform/Trash_linux.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"
#include "tests/platform/RemovalTestSupport.h"

namespace korvane {
namespace {

using Route = AppState::Route;
using Status = CleanupOutcome::Status;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class AppStateCleanupTest : public testing::FlowFixture {
protected:
    CleanupCandidate pathCandidate(const std::string& relative, SafetyLevel safety, std::int64_t size) {
        tree_.file("home/" + relative + "/data", 100);
        return CleanupCandidate(UUID::random(), CleanupCategory::node, "general.userChoice", "Group",
                                relative, at(relative), size, safety, "reason", std::nullopt, std::nullopt,
                                {}, RemovalKind::path());
    }

    // A scan of three items, all selected: a safe folder (deleted), a cautious
    // one (to the Trash) and a Docker command (no docker here: it fails).
    AppState& scanned() {
        AppState& state = launch();
        cache = pathCandidate("cache", SafetyLevel::safe, 3'000);
        build = pathCandidate("build", SafetyLevel::caution, 5'000);
        prune =
            CleanupCandidate(UUID::random(), CleanupCategory::docker, "docker.prune", "Docker", "prune",
                             "/dev/null", 7'000, SafetyLevel::safe, "reason", std::nullopt, std::nullopt, {},
                             RemovalKind::command(ExternalTool::docker, {"builder", "prune", "--force"}));
        state.developer().setScan(ScanResult({}, 2,
                                             {CategoryResult(CleanupCategory::node, 9'000, {cache, build}),
                                              CategoryResult(CleanupCategory::docker, 8'000, {prune})},
                                             {}, {}));
        state.developer().rebuildDeveloperTree();
        state.developer().setSelection({cache.id, build.id, prune.id});
        return state;
    }
    bool finished() {
        return testing::waitUntil([this] { return state().navigation().route() == Route::finished; });
    }
    // Runs a Trash operation and returns the notice it leaves.
    std::optional<std::string> noticeAfter(void (DeveloperState::*operation)()) {
        state().developer().setRestoreNotice(std::nullopt);
        (state().developer().*operation)();
        EXPECT_TRUE(testing::waitUntil([this] {
            return state().developer().restoreNotice().has_value() &&
                   state().navigation().route() != Route::scanning;
        }));
        return state().developer().restoreNotice();
    }
    std::string trash(const std::string& name) const { return home_ + "/.local/share/Trash/files/" + name; }

    CleanupCandidate cache, build, prune;
};

TEST_F(AppStateCleanupTest, CleanupRecordsTheReportAndDropsWhatItRemoved) {
    AppState& state = scanned();
    state.developer().setSelection({UUID::random()});  // nothing of the scan chosen: nothing starts
    state.developer().startCleanup();
    EXPECT_EQ(state.navigation().route(), Route::onboarding);
    state.developer().setSelection({cache.id, build.id, prune.id});

    // What left is what each folder measured as it went, not the scan's figure.
    const std::int64_t went = testing::duBytes(at("cache")) + testing::duBytes(at("build"));
    std::vector<CleanupProgress> progress;
    QObject::connect(&state, &AppState::changed, &state, [&] {
        if (progress.empty() || !(progress.back() == state.developer().cleanupProgress()))
            progress.push_back(state.developer().cleanupProgress());
    });
    state.developer().startCleanup();
    EXPECT_EQ(state.navigation().route(), Route::cleaning);
    EXPECT_EQ(state.developer().cleanupProgress(), CleanupProgress(0, 3, "", 0));
    state.developer().startCleanup();  // one cleanup at a time
    ASSERT_TRUE(finished());

    const auto& outcomes = state.developer().lastReport()->outcomes;
    ASSERT_EQ(outcomes.size(), 3u);  // largest first
    EXPECT_EQ(outcomes[0].status, Status::failed);
    EXPECT_EQ(outcomes[1].status, Status::trashed);
    EXPECT_EQ(outcomes[2].status, Status::deleted);
    EXPECT_FALSE(exists(at("cache")));
    EXPECT_TRUE(exists(trash("build")));
    EXPECT_EQ(progress.back(), CleanupProgress(3, 3, "cache", went));

    // Only the failed item is left, in the scan and in the selection.
    ASSERT_EQ(state.developer().scan()->allCandidates().size(), 1u);
    EXPECT_EQ(state.developer().scan()->allCandidates()[0].id, prune.id);
    // The category's footprint fell by what left it (3 KB deleted, 5 KB to the Trash).
    EXPECT_EQ(state.developer().scan()->categories[1].footprint, 1'000);
    EXPECT_EQ(state.developer().selection(), std::set<UUID>{prune.id});
    EXPECT_EQ(state.developer().tree().find(cache.id.text()), nullptr);

    const CleanupReport report = *state.developer().lastReport();
    state_.reset();  // waits for the history writes
    HistoryStore history(tree_.path("history"));
    ASSERT_EQ(history.reports().size(), 1u);
    EXPECT_EQ(history.reports()[0].outcomes, report.outcomes);
    ASSERT_TRUE(history.loadLastScan());
    EXPECT_EQ(history.loadLastScan()->allCandidates().size(), 1u);
}

TEST_F(AppStateCleanupTest, AllFailedLeavesTheScanAndSavesOnlyTheReport) {
    AppState& state = scanned();
    state.developer().setSelection({prune.id});
    const ScanResult before = *state.developer().scan();
    state.developer().startCleanup();
    ASSERT_TRUE(finished());
    // Only the free space follows the disk, which other programs change too.
    ScanResult expected = before;
    expected.volume = state.developer().scan()->volume;
    EXPECT_EQ(*state.developer().scan(), expected);
    EXPECT_EQ(state.developer().selection(), std::set<UUID>{prune.id});
    state_.reset();
    HistoryStore history(tree_.path("history"));
    EXPECT_EQ(history.reports().size(), 1u);
    EXPECT_FALSE(history.loadLastScan());
}

// What Docker says it reclaimed counts, and the rest stays on offer.
TEST_F(AppStateCleanupTest, APruneThatFreedLessThanItOfferedStaysListed) {
    for (const auto& [printed, freed, locations] :
         {std::tuple{"0B", 0, "Docker reclaimed 0 B of the 7 KB it offered."},
          std::tuple{"2kB", 2'000, "removed from part of 1 location"}}) {
        SCOPED_TRACE(printed);
        const std::string script = std::string("#!/bin/sh\necho 'Total reclaimed space: ") + printed + "'\n";
        ::chmod(tree_.text("home/.local/bin/docker", script).c_str(), 0755);
        AppState& state = scanned();
        state.developer().setSelection({prune.id});
        state.developer().startCleanup();
        ASSERT_TRUE(finished());
        const auto card = completionContent(state.developer().lastReport(), std::nullopt, {}).report;
        ASSERT_TRUE(card);
        EXPECT_EQ(card->locations, locations);
        EXPECT_EQ(card->freedBytes, freed);
        EXPECT_EQ(state.developer().scan()->categories[0].candidates.at(0).size, 7'000 - freed);
    }
}

TEST_F(AppStateCleanupTest, DisposalIsTheOneChosenAtTheStart) {
    AppState& state = scanned();
    state.developer().setSelection({cache.id, build.id});
    state.preferences().setDisposalOverride(Disposal::trash);
    state.developer().startCleanup();
    state.preferences().setDisposalOverride(Disposal::delete_);  // too late for this run
    ASSERT_TRUE(finished());
    for (const auto& outcome : state.developer().lastReport()->outcomes)
        EXPECT_EQ(outcome.status, Status::trashed);
    EXPECT_TRUE(exists(trash("cache")));
}

TEST_F(AppStateCleanupTest, StopWithoutARunningCleanupReturnsToTheExplorer) {
    AppState& state = launch({"--screen", "cleaning"});
    EXPECT_EQ(state.navigation().route(), Route::cleaning);
    state.developer().cancelCleanup();
    EXPECT_EQ(state.navigation().route(), Route::explore);
}

TEST_F(AppStateCleanupTest, PutBackSaysSingularThenAlreadyBackAndRescans) {
    AppState& state = scanned();
    // The developer page shows the developer scan: a fresh one follows each put back.
    state.preferences().setMode(AppState::Mode::developer);
    state.developer().setSelection({build.id});
    const std::string went = ByteFormat::string(testing::duBytes(at("build")));
    state.developer().startCleanup();
    ASSERT_TRUE(finished());
    int scans = 0;
    QObject::connect(&state.navigation(), &NavigationState::routeChanged, &state,
                     [&] { scans += state.navigation().route() == Route::scanning; });

    EXPECT_EQ(noticeAfter(&DeveloperState::restoreFromTrash), "Put back " + went + " across 1 location.");
    EXPECT_FALSE(state.developer().restoreNoticeIsProblem());
    EXPECT_TRUE(exists(at("build/data")));
    EXPECT_FALSE(exists(trash("build")));
    EXPECT_EQ(scans, 1);  // a fresh scan follows
    EXPECT_EQ(noticeAfter(&DeveloperState::restoreFromTrash), "Already back in place");
    // Nothing was put back: the notice is a refusal, not a success, and the
    // scan runs without taking the user away from it.
    EXPECT_TRUE(state.developer().restoreNoticeIsProblem());
    EXPECT_EQ(scans, 1);
}

TEST_F(AppStateCleanupTest, APutBackThatLeavesAnItemInTheTrashSaysSoAndKeepsTheCard) {
    AppState& state = scanned();
    state.preferences().setMode(AppState::Mode::developer);
    state.developer().setSelection({cache.id, build.id});
    state.preferences().setDisposalOverride(Disposal::trash);
    const std::string went = ByteFormat::string(testing::duBytes(at("build")));
    state.developer().startCleanup();
    ASSERT_TRUE(finished());
    ASSERT_TRUE(exists(trash("cache")));
    tree_.file("home/cache/new", 10);  // the tool made its cache again meanwhile

    EXPECT_EQ(noticeAfter(&DeveloperState::restoreFromTrash),
              "Put back " + went +
                  " across 1 location. \u201Ccache\u201D was not put back: Something else is "
                  "now where this was, so it stays in the Trash.");
    EXPECT_TRUE(state.developer().restoreNoticeIsProblem());
    EXPECT_TRUE(exists(at("build/data")));
    EXPECT_TRUE(exists(trash("cache")));
    EXPECT_TRUE(exists(at("cache/new")));
    // The card that says so stays until the user leaves it; the scan runs behind it.
    EXPECT_TRUE(testing::waitUntil([&] { return !state.developer().isScanning(); }));
    EXPECT_EQ(state.navigation().route(), Route::finished);
    EXPECT_TRUE(state.developer().canRestore());
}

TEST_F(AppStateCleanupTest, EmptyingAndPutBackCountSeveralLocations) {
    std::string both;
    const auto trashBoth = [this, &both] {
        AppState& state = scanned();
        both = ByteFormat::string(testing::duBytes(at("cache")) + testing::duBytes(at("build")));
        state.developer().setSelection({cache.id, build.id});
        state.preferences().setDisposalOverride(Disposal::trash);
        state.developer().startCleanup();
        return finished();
    };
    scanned();
    EXPECT_EQ(noticeAfter(&DeveloperState::emptyOwnTrash),
              "There was nothing of Korvane's left in the Trash.");
    FreedesktopTrash().moveToTrash(tree_.file("home/mine.txt", 10));  // the user's own
    ASSERT_TRUE(trashBoth());
    // Right after the report: it is written first.
    EXPECT_EQ(noticeAfter(&DeveloperState::emptyOwnTrash), "Emptied " + both + " from the Trash.");
    EXPECT_FALSE(exists(trash("cache")));
    EXPECT_FALSE(exists(trash("build")));
    EXPECT_TRUE(exists(trash("mine.txt")));
    EXPECT_FALSE(state().developer().canRestore());

    ASSERT_TRUE(trashBoth());
    EXPECT_EQ(noticeAfter(&DeveloperState::restoreFromTrash), "Put back " + both + " across 2 locations.");
}

// As a warning, with the item, the reason and what is left; the card offers what is still there.
TEST_F(AppStateCleanupTest, AnEmptyingThatLeavesPartOfAnItemSaysWhatStayed) {
    AppState& state = scanned();
    state.developer().setSelection({build.id});
    state.preferences().setDisposalOverride(Disposal::trash);
    state.developer().startCleanup();
    ASSERT_TRUE(finished());
    const std::string volume = tree_.folder("home/.local/share/Trash/files/build/volume");
    const std::string went = ByteFormat::string(testing::duBytes(trash("build/data")));
    auto mount = testing::ScopedMount::tmpfs(volume);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const auto notice = noticeAfter(&DeveloperState::emptyOwnTrash);  // before what is left is measured
    EXPECT_EQ(notice,
              "Emptied " + went + " from the Trash. \u201Cbuild\u201D was only partly removed: Another volume is "
              "mounted inside this folder at \u201C" + volume + "\u201D; Korvane left it alone. " +
                  ByteFormat::string(testing::duBytes(trash("build"), true)) + " of it is still in the Trash.");
    EXPECT_TRUE(state.developer().restoreNoticeIsProblem());
    EXPECT_TRUE(state.developer().canRestore());
}

TEST_F(AppStateCleanupTest, APutBackAndAnEmptyingNeverRunTogether) {
    const auto trashed = [this] {
        AppState& state = scanned();
        state.developer().setSelection({build.id});
        state.preferences().setDisposalOverride(Disposal::trash);
        state.developer().startCleanup();
        EXPECT_TRUE(finished());
        return &state.developer();
    };
    const auto idle = [this] {
        return testing::waitUntil([this] {
            return state().developer().trashWork() == TrashWork::none &&
                   state().navigation().route() != Route::scanning;
        });
    };
    // An emptying that met a put back would delete what the put back returned:
    // the second asked for is refused while the first runs.
    DeveloperState* developer = trashed();
    developer->emptyOwnTrash();
    EXPECT_EQ(developer->trashWork(), TrashWork::emptying);
    developer->restoreFromTrash();
    ASSERT_TRUE(idle());
    EXPECT_FALSE(exists(at("build")));
    EXPECT_FALSE(exists(trash("build")));

    developer = trashed();
    developer->restoreFromTrash();
    EXPECT_EQ(developer->trashWork(), TrashWork::puttingBack);
    developer->emptyOwnTrash();
    ASSERT_TRUE(idle());
    EXPECT_TRUE(exists(at("build/data")));
    EXPECT_FALSE(exists(trash("build")));
}

// The demonstration's made-up Trash item is offered until a button answered
// for it; then the card follows the answer instead of promising it again.
TEST_F(AppStateCleanupTest, DemonstratedPutBackNeverMovesARealFile) {
    tree_.file("home/.Trash/node_modules/real", 10);
    launch({"--screen", "finished"});
    EXPECT_TRUE(state().developer().canRestore());
    EXPECT_EQ(noticeAfter(&DeveloperState::restoreFromTrash), "Korvane did not record where this went");
    EXPECT_TRUE(state().developer().restoreNoticeIsProblem());
    EXPECT_TRUE(exists(at(".Trash/node_modules/real")));
    EXPECT_FALSE(exists(at("Developer/atlas-api")));
    EXPECT_FALSE(state().developer().canRestore());
}

TEST_F(AppStateCleanupTest, DemonstratedEmptyingLeavesNothingOnOffer) {
    launch({"--screen", "finished"});
    ASSERT_TRUE(state().developer().canRestore());
    EXPECT_EQ(noticeAfter(&DeveloperState::emptyOwnTrash), "There was nothing of Korvane's left in the Trash.");
    EXPECT_FALSE(state().developer().canRestore());
    // Still the demonstration's own figures, not this computer's.
    EXPECT_FALSE(state().developer().reportFollowUp().volumeNow);
}

TEST_F(AppStateCleanupTest, NeverTouchKeepsAPathOutOfThisAndLaterCleanups) {
    AppState& state = scanned();
    state.developer().neverTouch(*state.developer().tree().find("node"));  // no path: nothing happens
    EXPECT_TRUE(state.preferences().settings().excludedPaths.empty());

    CleanupCandidate staged = build;
    staged.id = UUID::random();
    staged.path = at("build/data");
    state.developer().neverTouch(*state.developer().tree().find(build.id.text()));
    EXPECT_EQ(state.preferences().settings().excludedPaths, std::set<std::string>{at("build")});
    EXPECT_EQ(nlohmann::json::parse(settings_.values.at("scan.settings"))["excludedPaths"][0], at("build"));
    EXPECT_EQ(state.developer().selection(), (std::set<UUID>{cache.id, prune.id}));
    EXPECT_EQ(state.developer().scan()->allCandidates().size(), 2u);

    // Staged after the exclusion: staging leaves it out and says why.
    const auto staging = state.developer().stageForReview({staged});
    EXPECT_FALSE(staging.staged);
    EXPECT_EQ(staging.leftOut,
              "\u201Cbuild\u201D is in a place you marked \u201CNever touch\u201D, so it is left out.");
    EXPECT_TRUE(state.developer().stagedCandidates().empty());

    // Staged before the exclusion, removed after it: the cleanup still leaves it alone.
    state.preferences().removeExclusion(at("build"));
    ASSERT_TRUE(state.developer().stageForReview({staged}).staged);
    state.preferences().addExclusion(at("build"));
    state.developer().startCleanup();
    ASSERT_TRUE(finished());
    ASSERT_EQ(state.developer().lastReport()->outcomes.size(), 1u);
    EXPECT_EQ(state.developer().lastReport()->outcomes[0].status, Status::skipped);
    EXPECT_TRUE(exists(at("build/data")));

    state.preferences().removeExclusion(at("build"));
    EXPECT_TRUE(state.preferences().settings().excludedPaths.empty());
    EXPECT_EQ(nlohmann::json::parse(settings_.values.at("scan.settings"))["excludedPaths"].size(), 0u);
}

// A general-mode removal the cleanup refused leaves no stale choice behind:
// the developer selection comes back, and the summary is this cleanup's.
TEST_F(AppStateCleanupTest, ARefusedGeneralRemovalGivesTheDeveloperSelectionBack) {
    AppState& state = scanned();
    state.developer().setSelection({build.id});
    const std::string picked = tree_.file("home/Private/report.pdf", 100);
    ASSERT_TRUE(
        state.developer()
            .stageUserChoice({FileTreeScanner::Entry::make("report.pdf", picked, 4096, clock_.moment, false)})
            .staged);
    EXPECT_EQ(state.developer().selectedCandidates().size(), 1u);
    EXPECT_EQ(state.developer().selectedCandidates()[0].path, picked);
    state.preferences().addExclusion(at("Private"));
    state.developer().startCleanup();
    ASSERT_TRUE(finished());

    state.developer().copySummary();
    ASSERT_EQ(desktop_.copied.size(), 1u);
    EXPECT_EQ(
        desktop_.copied[0].rfind("Korvane removed nothing. You marked this \u201CNever touch\u201D.", 0), 0u)
        << desktop_.copied[0];

    state.developer().dismissReport();
    EXPECT_EQ(state.developer().selection(), std::set<UUID>{build.id});
    ASSERT_EQ(state.developer().selectedCandidates().size(), 1u);
    EXPECT_EQ(state.developer().selectedCandidates()[0].id, build.id);
    EXPECT_TRUE(exists(picked));
}

TEST_F(AppStateCleanupTest, DemonstrationScanLeavesOutNeverTouchedPaths) {
    settings_.values["scan.settings"] =
        nlohmann::json(ScanSettings(0, 60, {}, {}, {at("Developer/storefront")})).dump();
    AppState& state = launch({"--screen", "explore"});
    EXPECT_EQ(state.developer().scan()->allCandidates().size(), 4u);
    for (const auto& candidate : state.developer().scan()->allCandidates())
        EXPECT_NE(candidate.title, "storefront");
}

TEST_F(AppStateCleanupTest, DismissingTheReportReturnsToWhatIsThere) {
    AppState& state = launch({"--screen", "finished"});
    state.developer().stageForReview({CleanupCandidate()});
    state.developer().dismissReport();
    EXPECT_EQ(state.navigation().route(), Route::explore);
    EXPECT_FALSE(state.developer().lastReport());
    EXPECT_TRUE(state.developer().stagedCandidates().empty());
    state.developer().setScan(std::nullopt);
    state.developer().dismissReport();
    EXPECT_EQ(state.navigation().route(), Route::onboarding);
    state.folderScan().setGeneralResult(FileTreeScanner::Result{});
    state.developer().dismissReport();
    EXPECT_EQ(state.navigation().route(), Route::explore);
}

// A review of picked files (or of an uninstall) closed without cleaning
// leaves nothing behind: the developer footer and its "Review" show the
// developer selection again, not the items that were turned down.
TEST_F(AppStateCleanupTest, ACancelledReviewOfPickedItemsGivesTheDeveloperSelectionBack) {
    AppState& state = scanned();
    state.developer().setSelection({build.id});
    const std::string picked = tree_.file("home/Downloads/film.mkv", 100);
    ASSERT_TRUE(
        state.developer()
            .stageUserChoice({FileTreeScanner::Entry::make("film.mkv", picked, 4096, clock_.moment, false)})
            .staged);
    ASSERT_EQ(state.navigation().sheet(), AppState::Sheet::review);
    state.navigation().setSheet(std::nullopt);
    EXPECT_TRUE(state.developer().stagedCandidates().empty());
    EXPECT_EQ(state.developer().selection(), std::set<UUID>{build.id});
    ASSERT_EQ(state.developer().selectedCandidates().size(), 1u);
    EXPECT_EQ(state.developer().selectedCandidates()[0].id, build.id);

    // Cleaned, the review closes on a run that keeps what it listed.
    ASSERT_TRUE(
        state.developer()
            .stageUserChoice({FileTreeScanner::Entry::make("film.mkv", picked, 4096, clock_.moment, false)})
            .staged);
    state.developer().startCleanup();
    state.navigation().setSheet(std::nullopt);
    ASSERT_TRUE(finished());
    ASSERT_EQ(state.developer().lastReport()->outcomes.size(), 1u);
    EXPECT_EQ(state.developer().lastReport()->outcomes[0].path, picked);
    EXPECT_EQ(state.developer().stagedCandidates().size(), 1u);
    state.developer().dismissReport();
    EXPECT_EQ(state.developer().selection(), std::set<UUID>{build.id});
}

// An uninstall from the applications page needs no scan: "Done" takes someone
// who already chose a way to clean back to the explorer, not the first-run cards.
TEST_F(AppStateCleanupTest, DismissingTheReportAfterOnboardingNeverShowsTheCardsAgain) {
    AppState& state = launch();
    state.preferences().markOnboarded();
    ASSERT_FALSE(state.developer().hasScan());
    ASSERT_FALSE(state.navigation().hasFolderTree());
    state.developer().dismissReport();
    EXPECT_EQ(state.navigation().route(), Route::explore);
}

}  // namespace
}  // namespace korvane
