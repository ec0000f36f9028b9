#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>

#include "app/presenters/CompletionContent.h"
#include "app/presenters/NodeActions.h"
#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"
#include "tests/explorer/ScanTestSupport.h"
#include "tests/scanners/ScannerTestSupport.h"

namespace korvane {
namespace {

using Route = AppState::Route;
using Status = CleanupOutcome::Status;
using testing::allocate;
using testing::allocated;
using testing::setModified;

const auto kTaken = std::chrono::system_clock::from_time_t(1'700'000'000);
const std::string kChanged = "Changed since the scan, so it is left out";

// What the user picks in general mode is what the folder scan listed; what
// they consent to is the item they saw there.
class AppStatePickedItemTest : public testing::FlowFixture {
protected:
    bool settled() {
        return testing::waitUntil([this] { return !state().folderScan().isScanningFolder(); });
    }
    // The home scanned in general mode, as the lists show it.
    void scanHome() {
        launch({"--mode", "general"});
        state().folderScan().scanFolder(home_);
        ASSERT_TRUE(settled());
    }
    // What the card holds Korvane's items in the Trash to measure.
    std::int64_t ownInTrashBytes() {
        const auto& own = state().developer().reportFollowUp().ownInTrash;
        SizeSum sum;
        if (own)
            for (const auto& item : *own) sum += item.expectedBytes;
        return sum.total();
    }
    bool finished() {
        return testing::waitUntil([this] { return state().navigation().route() == Route::finished; });
    }
    // The folder scan's row for the path, as large files and search list it.
    std::optional<FileTreeScanner::Entry> row(const std::string& path) {
        const auto& result = state().folderScan().generalResult();
        if (!result) return std::nullopt;
        for (const auto& entry : result->index)
            if (entry.path == path) return entry;
        return std::nullopt;
    }
    // A photo dated as a camera dates it, scanned and listed.
    std::string photo(const std::string& relative, std::int64_t bytes) {
        const std::string path = allocate(tree_, "home/" + relative, bytes);
        setModified(path, kTaken);
        return path;
    }
    // Another file takes the name: a re-export of the same date, much larger.
    void reexport(const std::string& path) {
        const std::string fresh = allocate(tree_, "home/.export.tmp", 5'000'000);
        setModified(fresh, kTaken);
        ASSERT_EQ(std::rename(fresh.c_str(), path.c_str()), 0);
    }
};

TEST_F(AppStatePickedItemTest, APickThatIsNoLongerTheItemTheScanSawIsLeftOutOfTheReviewWithALine) {
    const std::string replaced = photo("Pictures/IMG 0001.jpg", 100'000);
    const std::string linked = photo("Music/song.flac", 120'000);
    const std::string touched = photo("Documents/notes.odt", 90'000);
    const std::string kept = photo("Documents/kept.pdf", 80'000);
    ASSERT_NO_FATAL_FAILURE(scanHome());
    std::vector<FileTreeScanner::Entry> picks;
    for (const auto& path : {replaced, linked, touched, kept}) {
        ASSERT_TRUE(row(path)) << path;
        picks.push_back(*row(path));
    }
    reexport(replaced);
    ASSERT_EQ(std::remove(linked.c_str()), 0);
    ASSERT_EQ(::symlink(kept.c_str(), linked.c_str()), 0);
    setModified(touched, kTaken + std::chrono::seconds(60));

    const auto staging = state().developer().stageUserChoice(picks);
    EXPECT_TRUE(staging.staged);
    ASSERT_EQ(state().developer().stagedCandidates().size(), 1u);
    EXPECT_EQ(state().developer().stagedCandidates()[0].path, kept);
    EXPECT_EQ(staging.leftOut, "3 of the chosen items changed since the scan, so they are left out.");
    const auto alone = state().developer().stageUserChoice({picks[0]});
    EXPECT_FALSE(alone.staged);
    EXPECT_EQ(alone.leftOut, "\u201CIMG 0001.jpg\u201D changed since the scan, so it is left out.");

    // The lists follow the disk: the photo is listed again at what it is now,
    // and picking that row is a consent to what it is now.
    ASSERT_TRUE(
        testing::waitUntil([&] { return row(replaced) && row(replaced)->size == allocated(replaced); }));
    ASSERT_TRUE(state().developer().stageUserChoice({*row(replaced)}).staged);
    ASSERT_EQ(state().developer().stagedCandidates().size(), 1u);
    EXPECT_EQ(state().developer().stagedCandidates()[0].size, allocated(replaced));
    EXPECT_TRUE(std::filesystem::exists(replaced));
}

// A file picked on a canvas ("Remove…" in its menu) is the node the scan
// made of it, which keeps no inode: its size and date still tell it apart.
TEST_F(AppStatePickedItemTest, AFilePickedOnTheCanvasAndReplacedSinceIsLeftOut) {
    const std::string picked = photo("Pictures/IMG 0003.jpg", 100'000);
    ASSERT_NO_FATAL_FAILURE(scanHome());
    const StorageNode* node = state().folderScan().generalResult()->root.find(picked);
    ASSERT_NE(node, nullptr);
    const StorageNode shown = *node;
    reexport(picked);
    runNodeAction(state().developer(), state().navigation(), state().desktop(), NodeActionEntry::Action::remove,
                  shown);
    EXPECT_TRUE(state().developer().stagedCandidates().empty());
    EXPECT_EQ(state().developer().errorMessage(),
              "\u201CIMG 0003.jpg\u201D changed since the scan, so it is left out.");
    EXPECT_TRUE(std::filesystem::exists(picked));
}

// Replaced while the review is open: Clean leaves the new file where it is,
// whichever way the run disposes of items, and says so; the card removes
// nothing, and the lists show the file as it is now.
TEST_F(AppStatePickedItemTest, APickReplacedBetweenTheReviewAndCleanIsNotRemoved) {
    const std::string picked = photo("Pictures/IMG 0002.jpg", 100'000);
    ASSERT_NO_FATAL_FAILURE(scanHome());
    for (const Disposal disposal : {Disposal::trash, Disposal::delete_}) {
        SCOPED_TRACE(disposal == Disposal::trash ? "to the Trash" : "deleted");
        ASSERT_TRUE(testing::waitUntil([&] { return settled() && row(picked).has_value(); }));
        state().preferences().setDisposalOverride(disposal);
        ASSERT_TRUE(state().developer().stageUserChoice({*row(picked)}).staged);
        reexport(picked);
        const std::int64_t now = allocated(picked);
        state().developer().startCleanup();
        ASSERT_TRUE(finished());

        const CleanupReport& report = *state().developer().lastReport();
        ASSERT_EQ(report.outcomes.size(), 1u);
        EXPECT_EQ(report.outcomes[0].status, Status::skipped);
        EXPECT_EQ(report.outcomes[0].message, kChanged);
        EXPECT_EQ(allocated(picked), now);
        const CompletionContent card = completionContent(report, std::nullopt, {});
        ASSERT_TRUE(card.report);
        EXPECT_EQ(card.report->title, "Nothing was removed");
        EXPECT_EQ(card.report->locations, kChanged + ".");
        ASSERT_TRUE(testing::waitUntil([&] { return row(picked) && row(picked)->size == now; }));
        state().developer().dismissReport();
    }
}

// The card says what really went; "Empty" names, and empties, what the
// Trash holds of Korvane's now, not what went in.
TEST_F(AppStatePickedItemTest, TheCardAndEmptyNameWhatReallyWentAndWhatTheTrashHoldsNow) {
    const std::string picked = photo("Pictures/IMG 0003.jpg", 100'000);
    allocate(tree_, "home/.cache/thumbnails/large/a.png", 300'000);
    ASSERT_NO_FATAL_FAILURE(scanHome());
    state().preferences().setDisposalOverride(Disposal::trash);
    ASSERT_TRUE(state().developer().stageUserChoice({*row(picked)}).staged);
    // Staged at the figure a list gave it; the folder grew since.
    CleanupCandidate thumbnails = state().developer().stagedCandidates()[0];
    thumbnails.id = UUID::random();
    thumbnails.title = "thumbnails";
    thumbnails.path = at(".cache/thumbnails");
    thumbnails.size = 1'000;
    thumbnails.seen.reset();
    allocate(tree_, "home/.cache/thumbnails/large/b.png", 700'000);
    const std::int64_t went = testing::duBytes(at(".cache/thumbnails")) + allocated(picked);
    ASSERT_TRUE(
        state().developer().stageForReview({state().developer().stagedCandidates()[0], thumbnails}).staged);
    state().developer().startCleanup();
    ASSERT_TRUE(finished());
    const CleanupReport report = *state().developer().lastReport();
    ASSERT_EQ(report.restorable().size(), 2u);
    EXPECT_EQ(report.freedBytes(), went);
    EXPECT_EQ(completionContent(report, std::nullopt, {}).report->freedBytes, went);

    // Another program adds to Korvane's folder in the Trash.
    const CleanupOutcome& folder =
        report.outcomes[0].title == "thumbnails" ? report.outcomes[0] : report.outcomes[1];
    const std::string inTrash = *folder.trashURL;
    allocate(tree_, inTrash.substr(tree_.root().size() + 1) + "/large/c.png", 2'000'000);
    const std::int64_t held =
        testing::duBytes(*report.outcomes[0].trashURL) + testing::duBytes(*report.outcomes[1].trashURL);
    ASSERT_GT(held, went);
    state().developer().measureOwnTrash();
    ASSERT_TRUE(testing::waitUntil([&] { return ownInTrashBytes() == held; }));
    const CompletionContent card = completionContent(
        report, std::nullopt, state().developer().lastReportInTrash(), state().developer().reportFollowUp());
    EXPECT_EQ(card.report->trash->emptyTitle, "Empty " + ByteFormat::string(held));
    state().developer().emptyOwnTrash();
    ASSERT_TRUE(testing::waitUntil([this] { return state().developer().restoreNotice().has_value(); }));
    EXPECT_EQ(state().developer().restoreNotice(),
              "Emptied " + ByteFormat::string(held) + " from the Trash.");
    EXPECT_FALSE(std::filesystem::exists(inTrash));
}

// "Empty" is a consent to what its button names: an item that grew in the
// Trash since it was measured (the window never left the screen, so nothing
// measured again) is not emptied at its new size unseen. The button names
// what it holds now, and the next press empties that.
TEST_F(AppStatePickedItemTest, EmptyRemovesNothingItsButtonDidNotName) {
    const std::string picked = photo("Pictures/IMG 0004.jpg", 100'000);
    ASSERT_NO_FATAL_FAILURE(scanHome());
    state().preferences().setDisposalOverride(Disposal::trash);
    ASSERT_TRUE(state().developer().stageUserChoice({*row(picked)}).staged);
    state().developer().startCleanup();
    ASSERT_TRUE(finished());
    ASSERT_TRUE(testing::waitUntil([&] { return ownInTrashBytes() > 0; }));
    const std::string inTrash = *state().developer().lastReport()->outcomes[0].trashURL;
    const std::int64_t named = ownInTrashBytes();
    reexport(inTrash);
    const std::int64_t now = allocated(inTrash);
    ASSERT_GT(now, named);

    state().developer().emptyOwnTrash();
    ASSERT_TRUE(testing::waitUntil([this] { return state().developer().restoreNotice().has_value(); }));
    EXPECT_TRUE(std::filesystem::exists(inTrash));
    EXPECT_EQ(ownInTrashBytes(), now);
    EXPECT_EQ(state().developer().restoreNotice(),
              "What Korvane left in the Trash changed since it was measured, so nothing was emptied. "
              "\u201CEmpty\u201D now names what it holds.");
    EXPECT_TRUE(state().developer().restoreNoticeIsProblem());

    state().developer().emptyOwnTrash();
    ASSERT_TRUE(testing::waitUntil([&] { return !std::filesystem::exists(inTrash); }));
    ASSERT_TRUE(testing::waitUntil([this] { return state().developer().trashWork() == TrashWork::none; }));
    EXPECT_EQ(state().developer().restoreNotice(), "Emptied " + ByteFormat::string(now) + " from the Trash.");
}

}  // namespace
}  // namespace korvane
