#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/state/TreeNavigation.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Entry = FileTreeScanner::Entry;

class AppStateGeneralTest : public testing::FlowFixture {
protected:
    bool folderScanDone() {
        return testing::waitUntil([this] { return !state().folderScan().isScanningFolder(); });
    }
    Entry entry(const std::string& path, std::int64_t size = 100'000, bool isDirectory = false) {
        return Entry::make(Paths::lastComponent(path), path, size, clock_.moment, isDirectory);
    }
};

TEST_F(AppStateGeneralTest, FolderScanPublishesTheTreeAndSelectsItsRoot) {
    tree_.file("home/data/a/one.bin", 200'000);
    tree_.file("home/data/b/two.bin", 100'000);
    AppState& state = launch({"--mode", "developer"});
    state.navigation().setFocusedID(std::string("somewhere"));
    state.folderScan().scanFolder(at("data"));
    EXPECT_TRUE(state.folderScan().isScanningFolder());
    EXPECT_EQ(state.preferences().mode(), AppState::Mode::general);
    EXPECT_EQ(settings_.values.at("onboarding.completed"), "true");
    state.folderScan().scanFolder(at("data/a"));  // one at a time: ignored
    EXPECT_EQ(state.folderScan().scanRoot(), at("data"));

    ASSERT_TRUE(folderScanDone());
    ASSERT_NE(state.folderScan().generalRoot(), nullptr);
    EXPECT_EQ(state.folderScan().generalRoot()->id, at("data"));
    EXPECT_EQ(state.navigation().selectedNode(), state.folderScan().generalRoot());
    EXPECT_EQ(state.navigation().focusedID(), std::nullopt);
    EXPECT_EQ(state.navigation().route(), AppState::Route::onboarding);  // the caller decides the screen
    // The two files, and the two folders that hold them.
    ASSERT_EQ(state.folderScan().searchResults().size(), 4u);
    EXPECT_EQ(state.folderScan().searchResults()[0].name, "a");
    EXPECT_EQ(state.folderScan().searchResults()[1].name, "one.bin");
    EXPECT_TRUE(state.folderScan().largestFiles().empty());  // nothing reaches 50 MB
}

// Writing the settings leaves a lock and a temporary copy beside the settings
// file for a moment; a scan of the home that starts first counts them.
TEST_F(AppStateGeneralTest, AScanOfTheHomeDoesNotCountWhatSavingTheSettingsLeavesForAMoment) {
    tree_.file("home/Documents/letter.odt", 200'000);
    tree_.file("home/.config/Korvane/Korvane.conf", 100);
    settings_.duringWrite = [this] {
        const std::string lock = at(".config/Korvane/Korvane.conf.lock");
        std::ofstream(lock).put('x');
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        std::filesystem::remove(lock);
    };
    for (const bool fromLaunch : {false, true}) {
        SCOPED_TRACE(fromLaunch ? "--folder at launch" : "a scan asked for");
        AppState& state =
            fromLaunch ? launch({"--folder", home_, "--mode", "general"}) : launch({"--mode", "developer"});
        if (!fromLaunch) state.folderScan().scanFolder(home_);
        ASSERT_TRUE(folderScanDone());
        ASSERT_TRUE(state.folderScan().generalResult());
        EXPECT_EQ(state.folderScan().generalResult()->fileCount, 2);
    }
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
        seen.push_back({state.preferences().mode(), state.folderScan().scanRoot(),
                        state.folderScan().isScanningFolder(), state.folderScan().generalResult().has_value(),
                        state.navigation().selectedID()});
    });

    state.folderScan().scanFolder(at("data"));
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
    state.folderScan().scanFolder(at("first"));
    state.folderScan().stopFolderScan();
    EXPECT_FALSE(state.folderScan().isScanningFolder());
    ASSERT_TRUE(testing::waitUntil([&] { return state.folderScan().generalResult().has_value(); }));
    EXPECT_EQ(state.folderScan().generalRoot()->id, at("first"));

    // Stopped and replaced before its result arrives: only the newer scan counts.
    state.folderScan().scanFolder(at("first"));
    state.folderScan().stopFolderScan();
    state.folderScan().scanFolder(at("second"));
    ASSERT_TRUE(folderScanDone());
    settle(0.3);
    EXPECT_EQ(state.folderScan().generalRoot()->id, at("second"));
    EXPECT_EQ(state.folderScan().scanRoot(), at("second"));
    EXPECT_FALSE(state.folderScan().isScanningFolder());
}

// A folder of small photos shows one tile "31 smaller items". Opening it
// (a double click, Return or Focus all select it) reads the photos from the
// disk and goes into them: each is a node of its own, to be named, selected
// and removed.
TEST_F(AppStateGeneralTest, OpeningASummedNodeListsTheFilesItSums) {
    for (int i = 0; i < 31; ++i) tree_.file("home/Summer 2021/IMG_" + std::to_string(1000 + i) + ".jpg", 2000 * (i + 1));
    tree_.file("home/Summer 2021/edits/cut.jpg", 1000);
    AppState& state = launch({"--mode", "developer"});
    state.folderScan().scanFolder(home_);
    ASSERT_TRUE(folderScanDone());
    const StorageNode* summer = state.folderScan().generalRoot()->find(at("Summer 2021"));
    ASSERT_NE(summer, nullptr);
    const auto rest = std::find_if(summer->children.begin(), summer->children.end(),
                                   [](const StorageNode& node) { return TreeNavigation::opensOnDemand(node); });
    ASSERT_NE(rest, summer->children.end());
    EXPECT_EQ(rest->name, "31 smaller items");
    const std::string restID = rest->id;
    const std::int64_t total = state.folderScan().generalRoot()->bytes;

    state.navigation().select(*rest);
    EXPECT_EQ(state.navigation().selectedID(), restID);
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().focusedID() == restID; }));
    const StorageNode* opened = state.navigation().focusedNode();
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(opened->children.size(), 31u);
    EXPECT_EQ(opened->children.front().name, "IMG_1030.jpg");
    EXPECT_EQ(opened->children.front().path, at("Summer 2021/IMG_1030.jpg"));
    EXPECT_EQ(state.folderScan().generalRoot()->bytes, total) << "the disk is as scanned";
    EXPECT_FALSE(TreeNavigation::opensOnDemand(*opened));

    // A rescan of the folder keeps the user in the opened sum, read again.
    state.folderScan().refreshFolderScan();
    ASSERT_TRUE(folderScanDone());
    ASSERT_TRUE(testing::waitUntil([&] {
        const StorageNode* again = state.navigation().focusedNode();
        return again && again->id == restID && again->children.size() == 31;
    }));
}

TEST_F(AppStateGeneralTest, AnOpenedSumEmptiedGivesWayToItsFolder) {
    for (const char* name : {"a", "b"}) tree_.file(std::string("home/Box/") + name, 10);
    tree_.file("home/Box/big.iso", 5'000'000);
    AppState& state = launch();
    state.folderScan().scanFolder(home_);
    ASSERT_TRUE(folderScanDone());
    const std::string rest = FileTreeScanner::remainderID(at("Box"));
    state.navigation().select(*state.folderScan().generalRoot()->find(rest));
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().focusedID() == rest; }));
    DiskChange change;
    for (const StorageNode& file : state.navigation().focusedNode()->children)
        change.left.push_back({*file.path, file.bytes, std::nullopt, false});
    for (const auto& place : change.left) std::filesystem::remove(place.path);
    state.folderScan().followDiskChange(change);
    EXPECT_EQ(state.navigation().focusedID(), at("Box"));
}

TEST_F(AppStateGeneralTest, ChoosingAFolderScansIt) {
    tree_.folder("home/picked");
    AppState& state = launch();
    state.folderScan().chooseFolderToScan();  // cancelled
    EXPECT_FALSE(state.folderScan().isScanningFolder());
    EXPECT_EQ(desktop_.requests.at(0),
              (Desktop::FolderRequest{home_, "Scan", "Choose a folder to scan.", false}));

    desktop_.answers.push_back({at("picked")});
    state.folderScan().chooseFolderToScan();
    EXPECT_EQ(state.folderScan().scanRoot(), at("picked"));
    ASSERT_TRUE(folderScanDone());
}

TEST_F(AppStateGeneralTest, SearchKeepsAtMostFiveHundredAndSurvivesHostilePatterns) {
    AppState& state = launch();
    FileTreeScanner::Result result;
    for (int i = 0; i < 600; ++i) result.index.push_back(entry("/d/file" + std::to_string(i) + ".txt", i));
    result.index.push_back(entry("/d/" + std::string(5000, 'a') + "!"));
    result.largest = {entry("/d/big", 60'000'000)};
    state.folderScan().setGeneralResult(result);
    EXPECT_EQ(state.folderScan().searchResults().size(), 500u);
    EXPECT_EQ(state.folderScan().searchResults()[0].name, std::string(5000, 'a') + "!");  // largest first
    EXPECT_EQ(state.folderScan().largestFiles().size(), 1u);

    FileSearch::Query query;
    query.isRegex = true;
    query.text = "file1[0-9]\\.txt";
    state.folderScan().setSearchQuery(query);
    EXPECT_EQ(state.folderScan().searchResults().size(), 10u);
    for (const char* pattern : {"([", "(a+)+$", "(a|aa)*(b|c)"}) {
        query.text = pattern;
        state.folderScan().setSearchQuery(query);
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(state.folderScan().searchResults().empty()) << pattern;
        EXPECT_LT(timer.elapsed(), 5000) << pattern;
    }
}

TEST_F(AppStateGeneralTest, StagingGoesThroughTheSafetyCheck) {
    AppState& state = launch({"--screen", "explore"});
    const auto scanSelection = state.developer().selection();
    state.developer().stageUserChoice({entry("/etc/passwd"), entry(at(".ssh/id_rsa"))});  // every one refused
    EXPECT_TRUE(state.developer().stagedCandidates().empty());
    EXPECT_EQ(state.developer().selection(), scanSelection);
    EXPECT_EQ(state.navigation().sheet(), std::nullopt);

    const std::string movie = tree_.file("home/Movies/film.mkv", 10);
    const std::string folder = tree_.folder("home/Old.app");
    state.developer().stageUserChoice({entry("/etc/passwd"), entry(movie, 4096), entry(folder, 1, true)});
    const auto& staged = state.developer().stagedCandidates();
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
    EXPECT_EQ(state.developer().selection(), (std::set<UUID>{staged[0].id, staged[1].id}));
    EXPECT_EQ(state.navigation().sheet(), AppState::Sheet::review);
    EXPECT_EQ(state.developer().allCandidates().size(), 7u);
}

TEST_F(AppStateGeneralTest, AnEntryThatChangedKindSinceTheScanIsLeftOutWithALineSayingSo) {
    AppState& state = launch({"--screen", "explore"});
    // Picked as a file; a folder of the same name holds something else now.
    const std::string picked = tree_.file("home/Documents/report.bin/thesis.odt", 10);
    const std::string wasFolder = tree_.file("home/Documents/old-project", 10);
    const std::string kept = tree_.file("home/Documents/notes.txt", 10);
    const auto staging = state.developer().stageUserChoice(
        {entry(Paths::parent(picked)), entry(wasFolder, 4096, true), entry(kept)});
    ASSERT_EQ(state.developer().stagedCandidates().size(), 1u);
    EXPECT_EQ(state.developer().stagedCandidates()[0].path, kept);
    ASSERT_TRUE(staging.leftOut);
    EXPECT_NE(staging.leftOut->find("2 of the chosen items"), std::string::npos) << *staging.leftOut;

    // Alone, the line says what it is now.
    const auto alone = state.developer().stageUserChoice({entry(Paths::parent(picked))});
    EXPECT_FALSE(alone.staged);
    ASSERT_TRUE(alone.leftOut);
    EXPECT_EQ(
        *alone.leftOut,
        "Korvane leaves \u201Creport.bin\u201D alone: it is a folder now, not the file the scan found; scan "
        "again to see what it holds.");
    EXPECT_TRUE(std::filesystem::exists(picked));
}

TEST_F(AppStateGeneralTest, UninstallStagesLeftoversAndTheBundleOnlyWhenAsked) {
    AppState& state = launch();
    AppUninstaller::InstalledApp app;
    app.name = "Tool";
    app.bundleURL = tree_.folder("home/Applications/Tool.app");
    app.bundleBytes = 1000;
    app.leftovers = {{tree_.folder("home/Library/Caches/com.x.Tool"), 50, "Caches", "com.x.Tool"}};
    state.applications().uninstall(app, false);
    ASSERT_EQ(state.developer().stagedCandidates().size(), 1u);
    EXPECT_EQ(state.developer().stagedCandidates()[0].path, at("Library/Caches/com.x.Tool"));
    state.applications().uninstall(app, true);
    EXPECT_EQ(state.developer().stagedCandidates().size(), 2u);
    EXPECT_EQ(state.developer().selection().size(), 2u);
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
        if (texts.empty() || texts.back() != state.applications().appScanProgress())
            texts.push_back(state.applications().appScanProgress());
    });
    state.applications().scanApps();
    EXPECT_TRUE(state.applications().isScanningApps());
    state.applications().scanApps();  // ignored while one runs
    ASSERT_TRUE(testing::waitUntil([&] { return !state.applications().isScanningApps(); }));
    EXPECT_EQ(state.applications().apps().size(), 2u);
    EXPECT_EQ(state.applications().appScanProgress(), "");
    const auto counted = [&](const char* tail) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.ends_with(tail); });
    };
    EXPECT_TRUE(counted(" \u2014 1 of 2"));
    EXPECT_TRUE(counted(" \u2014 2 of 2"));
}

}  // namespace
}  // namespace korvane
