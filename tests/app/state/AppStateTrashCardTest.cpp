#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/presenters/CompletionContent.h"
#include "app/presenters/HistoryContent.h"
#include "core/platform/Trash_linux.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;

// The completion card over what the Trash really holds of Korvane's.
class AppStateTrashCardTest : public testing::FlowFixture {
protected:
    // A cleanup that moved `relative` (a folder of `files` files of 4 KB) to the Trash.
    CleanupCandidate trashed(const std::string& relative, int files = 1) {
        AppState& state = launch();
        state.preferences().setMode(AppState::Mode::developer);
        for (int file = 0; file < files; ++file)
            tree_.file("home/" + relative + "/" + std::to_string(file), 4096);
        const CleanupCandidate item(UUID::random(), CleanupCategory::node, "general.userChoice", "Group", relative,
                                    at(relative), testing::duBytes(at(relative)), SafetyLevel::caution, "reason",
                                    std::nullopt, std::nullopt, {}, RemovalKind::path());
        state.developer().setScan(
            ScanResult({}, 1, {CategoryResult(CleanupCategory::node, item.size, {item})}, {}, {}));
        state.developer().setSelection({item.id});
        state.developer().startCleanup();
        EXPECT_TRUE(testing::waitUntil([&] {
            return state.navigation().route() == Route::finished && state.developer().reportFollowUp().ownInTrash;
        }));
        return item;
    }
    std::string trashInfo(const std::string& name) const {
        return home_ + "/.local/share/Trash/info/" + name + ".trashinfo";
    }
    // Runs a Trash operation and returns the notice it leaves, once the card knows what the Trash holds.
    std::string answerOf(void (DeveloperState::*operation)()) {
        DeveloperState& developer = state().developer();
        developer.setRestoreNotice(std::nullopt);
        (developer.*operation)();
        EXPECT_TRUE(testing::waitUntil([&] {
            return developer.restoreNotice() && developer.trashWork() == TrashWork::none &&
                   !developer.isScanning() && developer.reportFollowUp().ownInTrash;
        }));
        settle(0.1);
        return developer.restoreNotice().value_or("");
    }
    TrashPanel card() {
        const DeveloperState& developer = state().developer();
        const CompletionContent content =
            completionContent(developer.lastReport(), developer.restoreNotice(), developer.lastReportInTrash(),
                              developer.reportFollowUp(), developer.restoreNoticeIsProblem(), developer.trashWork());
        return content.report && content.report->trash ? *content.report->trash : TrashPanel{};
    }
};

// Another program emptied Korvane's item and put something else of the same
// name there: both buttons find nothing of Korvane's, and the card says so.
TEST_F(AppStateTrashCardTest, TheCardFollowsWhatIsReallyKorvanesInTheTrashAfterEachAnswer) {
    struct Case {
        const char* button;
        void (DeveloperState::*operation)();
        const char* answer;
    };
    const Case cases[] = {
        {"Empty", &DeveloperState::emptyOwnTrash, "There was nothing of Korvane's left in the Trash."},
        {"Put it back", &DeveloperState::restoreFromTrash, "No longer in the Trash"},
    };
    for (const Case& test : cases) {
        trashed("build");
        ASSERT_EQ(card().headline, "8 KB can still be put back") << test.button;
        tree_.text("home/.local/share/Trash/info/build.trashinfo",
                   "[Trash Info]\nPath=" + FreedesktopTrash::encodePath(at("Downloads/build")) +
                       "\nDeletionDate=2024-05-01T12:00:00\n");

        EXPECT_EQ(answerOf(test.operation), test.answer) << test.button;
        EXPECT_EQ(card().headline, "Nothing left to put back") << test.button;
        EXPECT_FALSE(card().canPutBack) << test.button;
        EXPECT_FALSE(card().canEmpty) << test.button;
        EXPECT_FALSE(state().developer().canRestore()) << test.button;
        std::filesystem::remove_all(home_ + "/.local/share/Trash");
    }
}

// Another program deleted part of a folder from the Trash: the put back says
// what was missing, and History does not call the run "all put back".
TEST_F(AppStateTrashCardTest, APutBackThatBringsBackLessThanWentSaysWhatWasMissing) {
    const CleanupCandidate build = trashed("build", 2);
    ASSERT_EQ(build.size, 12'288);
    ::unlink((home_ + "/.local/share/Trash/files/build/1").c_str());

    EXPECT_EQ(answerOf(&DeveloperState::restoreFromTrash),
              "Put back 8 KB across 1 location. \u201Cbuild\u201D came back with 8 KB of the 12 KB that went; the "
              "rest was no longer in the Trash.");
    EXPECT_TRUE(state().developer().restoreNoticeIsProblem());
    EXPECT_TRUE(testing::waitUntil([&] { return !state().developer().isScanning(); }));
    state_.reset();  // waits for the history writes
    const HistoryStore history(tree_.path("history"));
    ASSERT_EQ(history.reports().size(), 1u);
    EXPECT_EQ(history.reports()[0].keptFreedBytes(), 4'096);  // what did not come back stays gone
    const HistoryContent content = historyContent({}, history.reports(), history.totalFreed(),
                                                     std::chrono::system_clock::now());
    ASSERT_TRUE(content.pastCleanups);
    EXPECT_EQ(content.pastCleanups->rows[0].putBack, "\u00b7 8 KB put back");
}

}  // namespace
}  // namespace korvane
