#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>

#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Entry = FileTreeScanner::Entry;

class AppStateGeneralTest : public testing::FlowFixture {
protected:
    bool folderScanDone() {
        return testing::waitUntil([this] { return !state().isScanningFolder(); });
    }
    Entry entry(const std::string& path, std::int64_t size = 100'000, bool isDirectory = false) {
        return Entry::make(Paths::lastComponent(path), path, size, clock_.moment, isDirectory);
    }
};

TEST_F(AppStateGeneralTest, FolderScanPublishesTheTreeAndSelectsItsRoot) {
    tree_.file("home/data/a/one.bin", 200'000);
    tree_.file("home/data/b/two.bin", 100'000);
    AppState& state = launch({"--mode", "developer"});
    state.setFocusedID(std::string("somewhere"));
    state.scanFolder(at("data"));
    EXPECT_TRUE(state.isScanningFolder());
    EXPECT_EQ(state.mode(), AppState::Mode::general);
    EXPECT_EQ(settings_.values.at("onboarding.completed"), "true");
    state.scanFolder(at("data/a"));  // one at a time: ignored
    EXPECT_EQ(state.scanRoot(), at("data"));

    ASSERT_TRUE(folderScanDone());
    ASSERT_NE(state.generalRoot(), nullptr);
    EXPECT_EQ(state.generalRoot()->id, at("data"));
    EXPECT_EQ(state.selectedNode(), state.generalRoot());
    EXPECT_EQ(state.focusedID(), std::nullopt);
    EXPECT_EQ(state.route(), AppState::Route::onboarding);  // the caller decides the screen
    ASSERT_EQ(state.searchResults().size(), 2u);
    EXPECT_EQ(state.searchResults()[0].name, "one.bin");
    EXPECT_TRUE(state.largestFiles().empty());  // nothing reaches 50 MB
}

TEST_F(AppStateGeneralTest, StartAndResultOfAFolderScanEachReachTheScreensAsOneCompleteChange) {
    tree_.file("home/data/a/one.bin", 200'000);
    AppState& state = launch({"--mode", "developer"});
    struct Seen {
        AppState::Mode mode;
        std::string scanRoot;
        bool scanning;
        bool hasResult;
        std::optional<std::string> selectedID;
    };
    std::vector<Seen> seen;
    QObject::connect(&state, &AppState::changed, &state, [&] {
        seen.push_back({state.mode(), state.scanRoot(), state.isScanningFolder(), state.generalResult().has_value(),
                        state.selectedID()});
    });

    state.scanFolder(at("data"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].mode, AppState::Mode::general);
    EXPECT_EQ(seen[0].scanRoot, at("data"));
    EXPECT_TRUE(seen[0].scanning);

    ASSERT_TRUE(folderScanDone());
    const auto withResult = std::count_if(seen.begin(), seen.end(), [](const Seen& s) { return s.hasResult; });
    ASSERT_EQ(withResult, 1);
    // Never the new tree while the scan still counts as running, nor without its root selected.
    EXPECT_FALSE(seen.back().scanning);
    EXPECT_TRUE(seen.back().hasResult);
    EXPECT_EQ(seen.back().selectedID, at("data"));
}

TEST_F(AppStateGeneralTest, StoppedScanStillShowsWhatItCountedUnlessANewerOneStarted) {
    tree_.file("home/first/x.bin", 100'000);
    tree_.file("home/second/y.bin", 100'000);
    AppState& state = launch();
    state.scanFolder(at("first"));
    state.stopFolderScan();
    EXPECT_FALSE(state.isScanningFolder());
    ASSERT_TRUE(testing::waitUntil([&] { return state.generalResult().has_value(); }));
    EXPECT_EQ(state.generalRoot()->id, at("first"));

    // Stopped and replaced before its result arrives: only the newer scan counts.
    state.scanFolder(at("first"));
    state.stopFolderScan();
    state.scanFolder(at("second"));
    ASSERT_TRUE(folderScanDone());
    settle(0.3);
    EXPECT_EQ(state.generalRoot()->id, at("second"));
    EXPECT_EQ(state.scanRoot(), at("second"));
    EXPECT_FALSE(state.isScanningFolder());
}

TEST_F(AppStateGeneralTest, ChoosingAFolderScansIt) {
    tree_.folder("home/picked");
    AppState& state = launch();
    state.chooseFolderToScan();  // cancelled
    EXPECT_FALSE(state.isScanningFolder());
    EXPECT_EQ(desktop_.requests.at(0),
              (Desktop::FolderRequest{home_, "Scan", "Choose a folder to scan.", false}));

    desktop_.answers.push_back({at("picked")});
    state.chooseFolderToScan();
    EXPECT_EQ(state.scanRoot(), at("picked"));
    ASSERT_TRUE(folderScanDone());
}

TEST_F(AppStateGeneralTest, SearchKeepsAtMostFiveHundredAndSurvivesHostilePatterns) {
    AppState& state = launch();
    FileTreeScanner::Result result;
    for (int i = 0; i < 600; ++i) result.index.push_back(entry("/d/file" + std::to_string(i) + ".txt", i));
    result.index.push_back(entry("/d/" + std::string(5000, 'a') + "!"));
    result.largest = {entry("/d/big", 60'000'000)};
    state.setGeneralResult(result);
    EXPECT_EQ(state.searchResults().size(), 500u);
    EXPECT_EQ(state.searchResults()[0].name, std::string(5000, 'a') + "!");  // largest first
    EXPECT_EQ(state.largestFiles().size(), 1u);

    FileSearch::Query query;
    query.isRegex = true;
    query.text = "file1[0-9]\\.txt";
    state.setSearchQuery(query);
    EXPECT_EQ(state.searchResults().size(), 10u);
    for (const char* pattern : {"([", "(a+)+$", "(a|aa)*(b|c)"}) {
        query.text = pattern;
        state.setSearchQuery(query);
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(state.searchResults().empty()) << pattern;
        EXPECT_LT(timer.elapsed(), 5000) << pattern;
    }
}

TEST_F(AppStateGeneralTest, StagingGoesThroughTheSafetyCheck) {
    AppState& state = launch({"--screen", "explore"});
    const auto scanSelection = state.selection();
    state.stageUserChoice({entry("/etc/passwd"), entry(at(".ssh/id_rsa"))});  // every one refused
    EXPECT_TRUE(state.stagedCandidates().empty());
    EXPECT_EQ(state.selection(), scanSelection);
    EXPECT_EQ(state.sheet(), std::nullopt);

    const std::string movie = tree_.file("home/Movies/film.mkv", 10);
    const std::string folder = tree_.folder("home/Old.app");
    state.stageUserChoice({entry("/etc/passwd"), entry(movie, 4096), entry(folder, 1, true)});
    const auto& staged = state.stagedCandidates();
    ASSERT_EQ(staged.size(), 2u);
    EXPECT_EQ(staged[0].path, movie);
    EXPECT_EQ(staged[0].size, 4096);
    EXPECT_EQ(staged[0].groupTitle, "Files you chose");
    EXPECT_EQ(staged[1].groupTitle, "Folders you chose");
    // Picked by hand: always reviewed, never chosen in advance, to the Trash.
    EXPECT_EQ(staged[0].safety, SafetyLevel::caution);
    EXPECT_FALSE(staged[0].isSelectedByDefault);
    EXPECT_TRUE(staged[0].removal.isPath());
    // The scan's picks are gone; the staged ones are chosen and shown for review.
    EXPECT_EQ(state.selection(), (std::set<UUID>{staged[0].id, staged[1].id}));
    EXPECT_EQ(state.sheet(), AppState::Sheet::review);
    EXPECT_EQ(state.allCandidates().size(), 7u);
}

TEST_F(AppStateGeneralTest, UninstallStagesLeftoversAndTheBundleOnlyWhenAsked) {
    AppState& state = launch();
    AppUninstaller::InstalledApp app;
    app.name = "Tool";
    app.bundleURL = "/Applications/Tool.app";
    app.bundleBytes = 1000;
    app.leftovers = {{at("Library/Caches/com.x.Tool"), 50, "Caches", "com.x.Tool"}};
    state.uninstall(app, false);
    ASSERT_EQ(state.stagedCandidates().size(), 1u);
    EXPECT_EQ(state.stagedCandidates()[0].path, at("Library/Caches/com.x.Tool"));
    state.uninstall(app, true);
    EXPECT_EQ(state.stagedCandidates().size(), 2u);
    EXPECT_EQ(state.selection().size(), 2u);
}

TEST_F(AppStateGeneralTest, ApplicationScanShowsProgressThenTheFullList) {
    const std::string folder = tree_.folder("Applications");
    tree_.file("Applications/Alpha.app/Contents/MacOS/alpha", 1000);
    tree_.file("Applications/Beta.app/Contents/MacOS/beta", 2000);
    makeUninstaller_ = [folder] {
        return std::make_unique<AppUninstaller>(std::vector<std::string>{folder});
    };
    AppState& state = launch();
    std::vector<std::string> texts;
    QObject::connect(&state, &AppState::changed, &state, [&] {
        if (texts.empty() || texts.back() != state.appScanProgress())
            texts.push_back(state.appScanProgress());
    });
    state.scanApps();
    EXPECT_TRUE(state.isScanningApps());
    state.scanApps();  // ignored while one runs
    ASSERT_TRUE(testing::waitUntil([&] { return !state.isScanningApps(); }));
    EXPECT_EQ(state.apps().size(), 2u);
    EXPECT_EQ(state.appScanProgress(), "");
    const auto counted = [&](const char* tail) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.ends_with(tail); });
    };
    EXPECT_TRUE(counted(" \u2014 1 of 2"));
    EXPECT_TRUE(counted(" \u2014 2 of 2"));
}

}  // namespace
}  // namespace korvane
