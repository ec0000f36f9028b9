#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <set>

#include "app/presenters/ApplicationsContent.h"
#include "app/presenters/CanvasPageContent.h"
#include "app/presenters/CompletionContent.h"
#include "app/presenters/ReviewContent.h"
#include "app/presenters/SidebarContent.h"
#include "app/state/DemonstrationData.h"
#include "tests/app/state/FlowFixture.h"
#include "tests/explorer/ScanTestSupport.h"

namespace korvane {
namespace {

using Mode = AppState::Mode;
using Route = AppState::Route;

class AppStateFollowsDiskTest : public testing::FlowFixture {
protected:
    bool settled() {
        return testing::waitUntil([this] {
            return !state().folderScan().isScanningFolder() && !state().applications().isScanningApps();
        });
    }
    bool finished() {
        return testing::waitUntil([this] { return state().navigation().route() == Route::finished; });
    }
    bool noticed() {
        return testing::waitUntil([this] { return state().developer().restoreNotice().has_value(); });
    }
    std::vector<std::string> largest() {
        std::vector<std::string> paths;
        for (const auto& entry : state().folderScan().largestFiles()) paths.push_back(entry.path);
        return paths;
    }
    bool indexed(const std::string& path) {
        const auto& index = state().folderScan().generalResult()->index;
        return std::any_of(index.begin(), index.end(), [&](const auto& entry) { return entry.path == path; });
    }
    void removeFromLargeFiles(const std::string& path) {
        for (const auto& entry : state().folderScan().largestFiles())
            if (entry.path == path) {
                ASSERT_TRUE(state().developer().stageUserChoice({entry}).staged);
                state().developer().startCleanup();
                ASSERT_TRUE(finished());
                return;
            }
        FAIL() << path << " is not listed";
    }
    std::string trash(const std::string& name) const { return home_ + "/.local/share/Trash/files/" + name; }
};

TEST_F(AppStateFollowsDiskTest, LargeFilesSearchAndTheTreeFollowACleanupAPutBackAndAnEmptiedTrash) {
    testing::allocate(tree_, "home/Movies/holiday.mov", 60'000'000);
    testing::allocate(tree_, "home/Downloads/installer.dmg", 55'000'000);
    launch();
    state().folderScan().scanFolder(home_);
    ASSERT_TRUE(settled());
    const std::string film = at("Movies/holiday.mov");
    const std::string dmg = at("Downloads/installer.dmg");
    ASSERT_EQ(largest(), (std::vector<std::string>{film, dmg}));
    state().navigation().select(*state().folderScan().generalRoot()->find(at("Movies")));

    // At once, in the step that ends the cleanup, before the quiet rescan can land.
    std::optional<std::vector<std::string>> seen;
    const auto connection = QObject::connect(&state().developer(), &DeveloperState::diskChanged, &state(),
                                             [&](const DiskChange&) { seen = largest(); });
    removeFromLargeFiles(film);
    QObject::disconnect(connection);
    EXPECT_EQ(seen, std::vector<std::string>{dmg});
    // The Trash lies in the scanned folder: what cannot follow exactly is scanned again, quietly,
    // and the Trash is never part of it.
    ASSERT_TRUE(settled());
    EXPECT_FALSE(indexed(film));
    EXPECT_FALSE(indexed(trash("holiday.mov")));
    EXPECT_EQ(largest(), std::vector<std::string>{dmg});
    EXPECT_EQ(state().navigation().selectedID(), at("Movies"));  // the user's place stays

    // A put back from general mode stays there, on the completion screen, and the film returns.
    state().developer().restoreFromTrash();
    ASSERT_TRUE(noticed());
    ASSERT_TRUE(settled());
    EXPECT_EQ(state().preferences().mode(), Mode::general);
    EXPECT_EQ(state().navigation().route(), Route::finished);
    EXPECT_TRUE(indexed(film));
    EXPECT_FALSE(indexed(trash("holiday.mov")));

    // Emptied from the Trash: gone from every list for good.
    removeFromLargeFiles(film);
    ASSERT_TRUE(settled());
    state().developer().setRestoreNotice(std::nullopt);
    state().developer().emptyOwnTrash();
    ASSERT_TRUE(noticed());
    EXPECT_FALSE(indexed(trash("holiday.mov")));
}

// A chosen file another program removed, or replaced by a folder, since the
// list was drawn: the review leaves it out, and no list goes on offering it.
TEST_F(AppStateFollowsDiskTest, WhatTheReviewFindsGoneOrReshapedLeavesEveryList) {
    testing::allocate(tree_, "home/Movies/holiday.mov", 70'000'000);
    testing::allocate(tree_, "home/Downloads/installer.iso", 65'000'000);
    testing::allocate(tree_, "home/Downloads/kept.zip", 60'000'000);
    launch();
    state().folderScan().scanFolder(home_);
    ASSERT_TRUE(settled());
    const std::string film = at("Movies/holiday.mov");
    const std::string iso = at("Downloads/installer.iso");
    const std::string kept = at("Downloads/kept.zip");
    ASSERT_EQ(largest(), (std::vector<std::string>{film, iso, kept}));
    const std::int64_t filesBefore = state().folderScan().generalResult()->fileCount;
    const auto listed = state().folderScan().largestFiles();

    std::filesystem::remove(film);
    std::filesystem::remove(iso);
    tree_.file("home/Downloads/installer.iso/inside.txt", 10);
    std::optional<std::vector<std::string>> seen;
    const auto connection = QObject::connect(&state().developer(), &DeveloperState::diskChanged, &state(),
                                             [&](const DiskChange&) { seen = largest(); });
    ASSERT_TRUE(state().developer().stageUserChoice(listed).staged);
    QObject::disconnect(connection);
    ASSERT_EQ(state().developer().stagedCandidates().size(), 1u);
    // At once: neither is listed as the file it was.
    EXPECT_EQ(seen, std::vector<std::string>{kept});
    EXPECT_FALSE(indexed(film));
    // The folder now standing where the file was is looked at again.
    ASSERT_TRUE(settled());
    EXPECT_EQ(largest(), std::vector<std::string>{kept});
    const StorageNode* reshaped = state().folderScan().generalRoot()->find(iso);
    ASSERT_NE(reshaped, nullptr);
    EXPECT_FALSE(reshaped->isLeaf());
    EXPECT_EQ(state().folderScan().generalResult()->fileCount, filesBefore - 1);
}

// A file with a second name keeps its space until both names are gone:
// removing the listed one is counted as freeing nothing, the review says why,
// and the tree and lists then show what the disk holds.
TEST_F(AppStateFollowsDiskTest, RemovingOneNameOfAFileWithAnotherFreesNothingAndIsCountedSo) {
    const struct {
        const char* otherName;  // the second name, beside the scanned folder
        bool otherInScan;
    } cases[] = {
        {"/Documents/copy of report.pdf", true},
        {"-elsewhere/report.pdf", false},
    };
    launch();
    state().preferences().setDisposalOverride(Disposal::delete_);
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.otherName);
        const std::string folder = "home/case" + std::to_string(++number);
        const std::string report = testing::allocate(tree_, folder + "/big report.pdf", 67'100'000);
        const std::string other = tree_.path(folder + c.otherName);
        std::filesystem::create_directories(std::filesystem::path(other).parent_path());
        std::filesystem::create_hard_link(report, other);
        state().folderScan().scanFolder(tree_.path(folder));
        ASSERT_TRUE(settled());
        const auto listed = state().folderScan().largestFiles();
        ASSERT_EQ(listed.size(), 1u);  // one file, counted once under one of its names
        const std::string name = listed[0].path;
        const std::string remaining = name == report ? other : report;
        const std::int64_t bytesBefore = state().folderScan().generalResult()->root.bytes;

        ASSERT_TRUE(state().developer().stageUserChoice(listed).staged);
        const ReviewContent review =
            reviewContent(state().developer().stagedCandidates(), state().preferences().disposalOverride());
        ASSERT_EQ(review.rows.size(), 1u);
        EXPECT_EQ(review.rows[0].sizeNote, "It has another name on this disk, so removing this one frees no "
                                           "space until every name is gone.");
        EXPECT_EQ(review.total, 0);
        EXPECT_EQ(review.permanentNotice, std::nullopt);
        state().developer().startCleanup();
        ASSERT_TRUE(finished());
        ASSERT_FALSE(std::filesystem::exists(name));
        EXPECT_EQ(state().developer().lastReport()->freedBytes(), 0);

        ASSERT_TRUE(settled());
        const std::int64_t fileBytes = listed[0].size;
        EXPECT_EQ(state().folderScan().generalResult()->root.bytes,
                  c.otherInScan ? bytesBefore : bytesBefore - fileBytes);
        EXPECT_EQ(largest(), c.otherInScan ? std::vector<std::string>{remaining} : std::vector<std::string>{});
    }
}

TEST_F(AppStateFollowsDiskTest, TheDemonstrationFollowsTheDiskButIsNeverSavedAsTheLastScan) {
    launch({"--screen", "explore"});
    ASSERT_TRUE(state().developer().hasScan());
    const std::string picked = tree_.file("home/Downloads/old.zip", 100);
    state().developer().stageUserChoice(
        {FileTreeScanner::Entry::make("old.zip", picked, 4096, clock_.moment, false)});
    state().developer().startCleanup();
    ASSERT_TRUE(finished());
    // The demonstration is no scan of this computer: it keeps its own volume...
    EXPECT_EQ(state().developer().scan()->volume, DemonstrationData::scan().volume);
    state_.reset();  // waits for the history's writes
    // ...and is never saved.
    EXPECT_FALSE(HistoryStore(tree_.path("history")).loadLastScan());
}

TEST_F(AppStateFollowsDiskTest, TheDemonstrationKeepsItsOwnVolumeWhateverThisComputerMeasures) {
    launch({"--screen", "finished"});
    DeveloperState& developer = state().developer();
    const auto sidebarFree = [&] {
        return sidebarContent(state().navigation(), developer).sections->disk.free;
    };
    const auto footer = [&] { return developerCanvasContent(state().navigation(), developer).freeSpace; };
    const auto after = [&] {
        return completionContent(developer.lastReport(), developer.restoreNotice(),
                                 developer.lastReportInTrash(), developer.reportFollowUp())
            .report->after.free;
    };
    ASSERT_EQ(sidebarFree(), "18.4 GB");
    ASSERT_EQ(footer(), "Free 18.4 GB \u2192 30.6 GB");
    ASSERT_EQ(after(), "36.8 GB free");
    // The volume measured again every few seconds.
    developer.followVolume(VolumeInfo(500'000'000'000, 310'000'000'000));
    EXPECT_EQ(sidebarFree(), "18.4 GB");
    EXPECT_EQ(footer(), "Free 18.4 GB \u2192 30.6 GB");
    EXPECT_EQ(developer.scan()->volume, DemonstrationData::scan().volume);
    // "Put it back" finds nothing of the made-up report in the Trash; the card keeps its figures.
    developer.restoreFromTrash();
    ASSERT_TRUE(noticed());
    EXPECT_EQ(after(), "36.8 GB free");
    EXPECT_EQ(sidebarFree(), "18.4 GB");
}

TEST_F(AppStateFollowsDiskTest, ApplicationsFollowAnUninstallAndLookAgainAfterAPutBack) {
    const std::string folder = tree_.folder("home/Applications");
    tree_.file("home/Applications/Alpha.app/Contents/MacOS/alpha", 1000);
    tree_.file("home/Applications/Beta.app/Contents/MacOS/beta", 2000);
    makeUninstaller_ = [folder] {
        return std::make_unique<AppUninstaller>(std::vector<std::string>{folder});
    };
    launch();
    state().applications().scanApps();
    ASSERT_TRUE(settled());
    const auto names = [this] {
        std::vector<std::string> found;
        for (const auto& app : state().applications().apps()) found.push_back(app.name);
        std::sort(found.begin(), found.end());
        return found;
    };
    ASSERT_EQ(names(), (std::vector<std::string>{"Alpha", "Beta"}));
    const auto alpha =
        *std::find_if(state().applications().apps().begin(), state().applications().apps().end(),
                      [](const auto& app) { return app.name == "Alpha"; });
    state().applications().setSelectedApp(alpha);

    state().applications().uninstall(alpha, true);
    state().developer().startCleanup();
    ASSERT_TRUE(finished());
    ASSERT_FALSE(std::filesystem::exists(alpha.bundleURL));
    EXPECT_EQ(names(), std::vector<std::string>{"Beta"});
    EXPECT_EQ(state().applications().selectedApp(), std::nullopt);

    state().developer().restoreFromTrash();
    ASSERT_TRUE(noticed());
    ASSERT_TRUE(settled());
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Beta"}));
}

// An application the user chose comes back on show with its put back, unless they chose another since.
TEST_F(AppStateFollowsDiskTest, AnUninstalledApplicationThatIsPutBackIsTheChosenOneAgain) {
    const std::string folder = tree_.folder("home/Applications");
    tree_.file("home/Applications/Alpha.app/Contents/MacOS/alpha", 1000);
    tree_.file("home/Applications/Beta.app/Contents/MacOS/beta", 20000);  // first in the list
    makeUninstaller_ = [folder] {
        return std::make_unique<AppUninstaller>(std::vector<std::string>{folder});
    };
    for (const bool choseAnother : {false, true}) {
        SCOPED_TRACE(choseAnother ? "Beta chosen meanwhile" : "nothing chosen meanwhile");
        launch();
        ApplicationsState& applications = state().applications();
        applications.scanApps();
        ASSERT_TRUE(settled());
        const auto named = [&](const std::string& name) {
            return *std::find_if(applications.apps().begin(), applications.apps().end(),
                                 [&](const auto& app) { return app.name == name; });
        };
        const auto alpha = named("Alpha");
        applications.setSelectedApp(alpha);
        applications.uninstall(alpha, true);
        state().developer().startCleanup();
        ASSERT_TRUE(finished());
        if (choseAnother) applications.setSelectedApp(named("Beta"));

        state().developer().restoreFromTrash();
        ASSERT_TRUE(noticed());
        ASSERT_TRUE(settled());
        ASSERT_EQ(applications.apps().size(), 2u);
        const std::string shown = choseAnother ? "Beta" : "Alpha";
        ASSERT_TRUE(applications.selectedApp());
        EXPECT_EQ(applications.selectedApp()->name, shown);
        const auto page = applicationsPageContent(applications.apps(), applications.isScanningApps(), "",
                                                  applications.selectedApp(), "", std::nullopt);
        EXPECT_EQ(page.detail->name, shown);
        state().developer().dismissReport();
    }
}

// The detail pane shows the application as the list does, also after a put back.
TEST_F(AppStateFollowsDiskTest, TheSelectedApplicationFollowsAPutBack) {
    const std::string folder = tree_.folder("home/Applications");
    tree_.file("home/Applications/Beta.app/Contents/MacOS/beta", 2000);
    tree_.file("home/.cache/Beta/blob", 5000);
    makeUninstaller_ = [folder] {
        return std::make_unique<AppUninstaller>(std::vector<std::string>{folder});
    };
    launch();
    state().applications().scanApps();
    ASSERT_TRUE(settled());
    ASSERT_EQ(state().applications().apps().size(), 1u);
    const auto beta = state().applications().apps()[0];
    ASSERT_EQ(beta.leftovers.size(), 1u);
    state().applications().setSelectedApp(beta);

    state().applications().uninstall(beta, false);  // only what it left behind
    state().developer().startCleanup();
    ASSERT_TRUE(finished());
    ASSERT_TRUE(state().applications().selectedApp());
    EXPECT_TRUE(state().applications().selectedApp()->leftovers.empty());

    state().developer().restoreFromTrash();
    ASSERT_TRUE(noticed());
    ASSERT_TRUE(testing::waitUntil([this] {
        return !state().applications().isScanningApps() && !state().applications().apps().empty() &&
               !state().applications().apps()[0].leftovers.empty();
    }));
    ASSERT_TRUE(state().applications().selectedApp());
    EXPECT_EQ(*state().applications().selectedApp(), state().applications().apps()[0]);
    EXPECT_EQ(state().applications().selectedApp()->leftovers.size(), 1u);
}

TEST_F(AppStateFollowsDiskTest, StagingLeavesOutWhatIsGoneOrRefusedAndSaysWhy) {
    launch();
    // Listed as what it is: a folder as a folder, so only the reason named is at work.
    const auto entry = [this](const std::string& path) {
        return FileTreeScanner::Entry::make(Paths::lastComponent(path), path, 1000, clock_.moment,
                                            std::filesystem::is_directory(path));
    };
    const std::string kept = tree_.file("home/Downloads/kept.zip", 10);
    const std::string gone = at("Downloads/gone.zip");  // removed since the list was drawn
    const std::string outside = tree_.file("elsewhere/film.mkv", 10);
    const std::string secret = tree_.file("home/Private/secret.pdf", 10);
    const std::string projects = tree_.folder("home/Projects");
    state().preferences().addExclusion(at("Private"));
    state().preferences().addExclusion(at("Projects/keep"));
    const std::string goneLine = "\u201Cgone.zip\u201D is no longer there, so it is left out.";
    const std::string outsideLine = "Korvane only removes files inside your home folder.";
    const std::string marked = " a place you marked \u201CNever touch\u201D";
    const std::string secretLine = "\u201Csecret.pdf\u201D is in" + marked + ", so it is left out.";
    const struct {
        std::vector<std::string> paths;
        bool staged;
        std::string line;
    } cases[] = {
        {{gone, kept}, true, goneLine},
        {{gone}, false, goneLine},
        {{outside}, false, outsideLine},
        {{gone, outside}, false, goneLine + " " + outsideLine},
        {{secret}, false, secretLine},
        {{projects}, false, "\u201CProjects\u201D holds" + marked + ", so it is left out."},
        {{gone, secret, outside}, false, goneLine + " " + secretLine + " " + outsideLine},
        {{secret, projects},
         false,
         "2 of the chosen items are in or hold" + marked + ", so they are left out."},
        {{}, false, "None of the ticked items is in this list now."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<FileTreeScanner::Entry> entries;
        for (const auto& path : c.paths) entries.push_back(entry(path));
        const auto staging = state().developer().stageUserChoice(entries);
        EXPECT_EQ(staging.staged, c.staged);
        EXPECT_EQ(staging.leftOut, c.line);
        EXPECT_EQ(state().navigation().sheet(), c.staged ? std::optional(Sheet::review) : std::nullopt);
        // Closed without a cleanup, the review leaves nothing staged behind.
        state().navigation().setSheet(std::nullopt);
        EXPECT_TRUE(state().developer().stagedCandidates().empty());
        EXPECT_EQ(state().developer().stagingNotice(), std::nullopt);
    }
    // An application's leftover that went since the list was made is left out too.
    CleanupCandidate leftover =
        testing::makeCandidate(CleanupCategory::toolchains, at(".cache/Tool"), SafetyLevel::caution);
    const auto uninstall = state().developer().stageForReview({leftover});
    EXPECT_FALSE(uninstall.staged);
    EXPECT_EQ(uninstall.leftOut, "\u201CTool\u201D is no longer there, so it is left out.");
}

TEST_F(AppStateFollowsDiskTest, TheFreeSpaceShownFollowsTheVolumeMeasuredAgainBetweenScans) {
    launch();
    DeveloperState& developer = state().developer();
    developer.setScan(ScanResult({}, 1, {}, VolumeInfo(100'000'000'000, 40'000'000'000), {}));
    const auto sidebarFree = [&] { return sidebarContent(state().navigation(), developer).sections->disk.free; };
    const auto footer = [&] { return developerCanvasContent(state().navigation(), developer).freeSpace; };
    ASSERT_EQ(sidebarFree(), "40 GB");
    // Another program wrote 1.5 GB since the scan.
    developer.followVolume(VolumeInfo(100'000'000'000, 38'500'000'000));
    EXPECT_EQ(sidebarFree(), "38.5 GB");
    EXPECT_EQ(footer(), "Free 38.5 GB \u2192 38.5 GB");
    EXPECT_EQ(developer.scan()->volume.usedCapacity, 61'500'000'000);
    // A volume that could not be measured says nothing.
    developer.followVolume(VolumeInfo());
    EXPECT_EQ(sidebarFree(), "38.5 GB");
}

// The scan that follows a cleanup counts what is on disk once the run is
// recorded: never the run's journal nor a half-written history file beside it.
TEST_F(AppStateFollowsDiskTest, TheScanAfterACleanupCountsTheHistoryAsItIsOnceWritten) {
    const std::string first = testing::allocate(tree_, "home/Pictures/first.jpg", 100'000);
    const std::string gone = testing::allocate(tree_, "home/Pictures/old.jpg", 100'000);
    const std::string replaced = testing::allocate(tree_, "home/Pictures/new.jpg", 100'000);
    launch({"--mode", "general"});
    state().folderScan().scanFolder(tree_.root());
    ASSERT_TRUE(settled());
    const auto picks = [this](std::set<std::string> paths) {
        std::vector<FileTreeScanner::Entry> entries;
        for (const auto& entry : state().folderScan().generalResult()->index)
            if (paths.count(entry.path)) entries.push_back(entry);
        return entries;
    };
    // A run recorded before: the history holds its file.
    ASSERT_TRUE(state().developer().stageUserChoice(picks({first})).staged);
    state().developer().startCleanup();
    ASSERT_TRUE(finished());
    state().developer().dismissReport();
    state().history().waitForDone();
    settle(0.3);
    ASSERT_TRUE(settled());

    ASSERT_TRUE(state().developer().stageUserChoice(picks({gone, replaced})).staged);
    // Changed since the review: the tree cannot follow exactly, so it is scanned again.
    const std::string fresh = testing::allocate(tree_, "home/.new.tmp", 300'000);
    ASSERT_EQ(std::rename(fresh.c_str(), replaced.c_str()), 0);
    // The history's writes wait, as on a slow disk, while the run ends.
    struct Gate {
        std::promise<void> opened;
        std::shared_future<void> waited = opened.get_future().share();
        bool open = false;
        void release() {
            if (!std::exchange(open, true)) opened.set_value();
        }
        ~Gate() { release(); }
    } gate;
    state().history().write([wait = gate.waited](HistoryStore&) { wait.wait(); });
    state().developer().startCleanup();
    ASSERT_TRUE(finished());
    settle(0.5);
    gate.release();
    state().history().waitForDone();
    settle(0.3);
    ASSERT_TRUE(settled());

    const std::string history = tree_.root() + "/history";
    const StorageNode* folder = state().folderScan().generalResult()->root.find(history);
    ASSERT_NE(folder, nullptr);
    std::uint32_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(history)) files += entry.is_regular_file();
    EXPECT_EQ(folder->fileCount, files);
}

}  // namespace
}  // namespace korvane
