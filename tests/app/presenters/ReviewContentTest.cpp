#include <gtest/gtest.h>

#include <map>

#include "app/presenters/OneLineText.h"
#include "app/presenters/ReviewContent.h"
#include "app/state/DemonstrationData.h"
#include "app/state/UserChoice.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

CleanupCandidate candidate(std::string title, std::int64_t size, SafetyLevel safety,
                           std::optional<std::string> hint = std::nullopt) {
    CleanupCandidate made;
    made.id = UUID::random();
    made.groupTitle = "Group";
    made.title = std::move(title);
    made.path = "/home/user/" + made.title;
    made.size = size;
    made.safety = safety;
    made.restoreHint = std::move(hint);
    return made;
}

TEST(ReviewContent, EmptySelectionShowsAZeroTotalAndADisabledCleanButton) {
    const ReviewContent content = reviewContent({}, std::nullopt);
    EXPECT_EQ(content.total, 0);
    EXPECT_FALSE(content.warning.has_value());
    EXPECT_TRUE(content.rows.empty());
    EXPECT_FALSE(content.trashNotice.has_value());
    EXPECT_EQ(content.cleanTitle, "Clean " + ByteFormat::string(0));
    EXPECT_FALSE(content.cleanEnabled);
}

TEST(ReviewContent, WarnsOnceWithTheCountOfItemsThatNeedAReview) {
    struct Case {
        int caution;
        std::optional<std::string> warning;
    };
    for (const Case& c :
         {Case{0, std::nullopt},
          Case{1, "1 selected item costs time or bandwidth to restore. Check them before continuing."},
          Case{2, "2 selected items cost time or bandwidth to restore. Check them before continuing."},
          Case{12, "12 selected items cost time or bandwidth to restore. Check them before continuing."}}) {
        // Safe and protected items never count.
        std::vector<CleanupCandidate> selected = {candidate("safe", 10, SafetyLevel::safe),
                                                  candidate("locked", 10, SafetyLevel::dangerous)};
        for (int index = 0; index < c.caution; ++index)
            selected.push_back(candidate("costly", 10, SafetyLevel::caution));
        EXPECT_EQ(reviewContent(selected, std::nullopt).warning, c.warning) << c.caution;
    }
}

TEST(ReviewContent, DisposalFollowsTheOverrideElseTheRecommendation) {
    const std::vector<CleanupCandidate> selected = {candidate("safe", 300, SafetyLevel::safe),
                                                    candidate("review", 200, SafetyLevel::caution),
                                                    candidate("locked", 100, SafetyLevel::dangerous)};
    struct Case {
        std::optional<Disposal> chosen;
        std::vector<std::string> labels;
        std::int64_t trashBytes;
    };
    for (const Case& c : {Case{std::nullopt, {"Deleted", "Moves to Trash", "Moves to Trash"}, 300},
                          Case{Disposal::trash, {"Moves to Trash", "Moves to Trash", "Moves to Trash"}, 600},
                          Case{Disposal::delete_, {"Deleted", "Deleted", "Deleted"}, 0}}) {
        const ReviewContent content = reviewContent(selected, c.chosen);
        ASSERT_EQ(content.rows.size(), 3u);
        for (std::size_t index = 0; index < 3; ++index) {
            const ReviewRow& row = content.rows[index];
            EXPECT_EQ(row.disposalLabel, c.labels[index]);
            EXPECT_EQ(row.disposalSymbol, row.disposalLabel == "Deleted" ? "xmark.bin" : "trash");
        }
        const std::optional<std::string> notice =
            c.trashBytes > 0
                ? std::optional(
                      ByteFormat::string(c.trashBytes) +
                      " moves to the Trash and stays recoverable. That space comes back when you empty it.")
                : std::nullopt;
        EXPECT_EQ(content.trashNotice, notice);
        EXPECT_EQ(content.total, 600);
        EXPECT_EQ(content.cleanTitle, "Clean " + ByteFormat::string(600));
        EXPECT_TRUE(content.cleanEnabled);
    }
}

// A file the user picked comes back only from the Trash: deleted, its row does
// not promise that; a cache's hint holds however it goes.
TEST(ReviewContent, APickedFilePromisesAPutBackOnlyWhenItGoesToTheTrash) {
    CleanupCandidate picked = candidate("thesis.odt", 300, SafetyLevel::caution, UserChoice::restoreHint);
    picked.ruleID = UserChoice::ruleID;
    const CleanupCandidate cache = candidate("cache", 200, SafetyLevel::safe, "Rebuilt on the next build");
    for (const auto chosen :
         {std::optional<Disposal>(), std::optional(Disposal::trash), std::optional(Disposal::delete_)}) {
        const ReviewContent content = reviewContent({picked, cache}, chosen);
        ASSERT_EQ(content.rows.size(), 2u);
        const bool trashed = chosen != Disposal::delete_;
        EXPECT_EQ(content.rows[0].restoreHint,
                  trashed ? std::optional("· " + std::string(UserChoice::restoreHint)) : std::nullopt);
        EXPECT_EQ(content.rows[1].restoreHint, std::optional<std::string>("· Rebuilt on the next build"));
    }
}

// A command removes its items itself: its row never promises the Trash, and
// the footer tells what can be put back from what cannot.
TEST(ReviewContent, CommandRowsSayWhatRunsAndTheFooterSeparatesWhatCannotBePutBack) {
    CleanupCandidate flatpak =
        candidate("Editor", 20'000'000, SafetyLevel::caution, "Re-download or reinstall Editor");
    flatpak.removal = RemovalKind::command(ExternalTool::flatpak,
                                           {"uninstall", "--noninteractive", "--user", "org.example.Editor"});
    const CleanupCandidate cache = candidate("cache", 3'000'000, SafetyLevel::safe);
    const CleanupCandidate data = candidate("data", 1'000'000, SafetyLevel::caution);
    const std::string trashed =
        " moves to the Trash and stays recoverable. That space comes back when you empty it.";
    struct Case {
        std::vector<CleanupCandidate> selected;
        std::optional<Disposal> chosen;
        std::optional<std::string> trash;
        std::optional<std::string> permanent;
    };
    const Case cases[] = {
        {{flatpak},
         std::nullopt,
         std::nullopt,
         "20 MB is removed by a command and cannot be put back. That space comes back at once."},
        {{flatpak},
         Disposal::trash,
         std::nullopt,
         "20 MB is removed by a command and cannot be put back. That space comes back at once."},
        {{flatpak, data, cache},
         std::nullopt,
         "1 MB" + trashed,
         "23 MB is deleted or removed by a command and cannot be put back. That space comes back at once."},
        {{data, cache},
         std::nullopt,
         "1 MB" + trashed,
         "3 MB is deleted and cannot be put back. That space comes back at once."},
        {{data, cache}, Disposal::trash, "4 MB" + trashed, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.permanent.value_or("none"));
        const ReviewContent content = reviewContent(c.selected, c.chosen);
        EXPECT_EQ(content.trashNotice, c.trash);
        EXPECT_EQ(content.permanentNotice, c.permanent);
        for (const ReviewRow& row : content.rows) {
            if (row.id != flatpak.id) continue;
            EXPECT_EQ(row.way, RemovalWay::byCommand);
            EXPECT_EQ(row.disposalLabel, "Removed by the command \u00B7 cannot be put back");
            EXPECT_EQ(row.removal, "Runs: flatpak uninstall --noninteractive --user org.example.Editor");
        }
    }
}

TEST(ReviewContent, RowsRunLargestFirstWithDividersBetweenThem) {
    const std::vector<CleanupCandidate> selected = {
        candidate("small", 5, SafetyLevel::safe),
        candidate("large", 900, SafetyLevel::caution, "Downloads again"),
        candidate("tie-a", 50, SafetyLevel::safe), candidate("tie-b", 50, SafetyLevel::dangerous)};
    const ReviewContent content = reviewContent(selected, std::nullopt);
    ASSERT_EQ(content.rows.size(), 4u);
    const std::vector<std::string> order = {"large", "tie-a", "tie-b", "small"};
    for (std::size_t index = 0; index < order.size(); ++index) {
        EXPECT_EQ(content.rows[index].title, order[index]);
        EXPECT_EQ(content.rows[index].showsDivider, index + 1 < order.size());
    }
    EXPECT_EQ(content.rows[0].safetySymbol, "exclamationmark.triangle.fill");
    EXPECT_EQ(content.rows[1].safetySymbol, "checkmark.circle.fill");
    EXPECT_EQ(content.rows[2].safetySymbol, "lock.fill");
    EXPECT_EQ(content.rows[0].restoreHint, "· Downloads again");
    EXPECT_FALSE(content.rows[1].restoreHint.has_value());
    EXPECT_EQ(content.rows[0].size, ByteFormat::string(900));
    EXPECT_EQ(content.rows[0].id, selected[1].id);
}

TEST(ReviewContent, RemovalLineNamesTheCommandOrThePath) {
    CleanupCandidate command = candidate("devices", 20, SafetyLevel::safe);
    command.removal = RemovalKind::command(ExternalTool::simctl, {"delete", "unavailable"});
    CleanupCandidate docker = candidate("images", 10, SafetyLevel::caution);
    docker.removal = RemovalKind::command(ExternalTool::docker, {"image", "prune", "-f"});
    CleanupCandidate path = candidate("a & <b>odd</b> name", 5, SafetyLevel::safe);
    const testing::TempTree home;
    path.path = home.path(path.title);
    Paths::setHomeForTesting(home.root());
    const ReviewContent content = reviewContent({command, docker, path}, std::nullopt);
    Paths::setHomeForTesting(std::nullopt);
    EXPECT_EQ(content.rows[0].removal, "Runs: xcrun simctl delete unavailable");
    EXPECT_EQ(content.rows[1].removal, "Runs: docker image prune -f");
    EXPECT_EQ(content.rows[2].removal, "~/a & <b>odd</b> name");
}

TEST(ReviewContent, DemonstrationSelectionAddsUpToItsSizes) {
    const ScanResult scan = DemonstrationData::scan();
    std::vector<CleanupCandidate> selected;
    std::int64_t total = 0;
    for (const CleanupCandidate& each : scan.allCandidates())
        if (each.isSelectedByDefault) {
            selected.push_back(each);
            total += each.size;
        }
    ASSERT_FALSE(selected.empty());
    const ReviewContent content = reviewContent(selected, std::nullopt);
    EXPECT_EQ(content.total, total);
    EXPECT_EQ(content.rows.size(), selected.size());
    std::map<UUID, std::int64_t> sizes;
    for (const CleanupCandidate& each : selected) sizes[each.id] = each.size;
    for (std::size_t index = 1; index < content.rows.size(); ++index)
        EXPECT_GE(sizes[content.rows[index - 1].id], sizes[content.rows[index].id]);
    EXPECT_EQ(content.cleanTitle, "Clean " + ByteFormat::string(total));
}

// The line saying what was left out quotes names as they are: a line break
// in one is shown, not taken.
TEST(ReviewContent, TheLeftOutLineKeepsANameWithALineBreakOnOneLine) {
    EXPECT_EQ(
        reviewContent({}, std::nullopt, "\u201Cline\nbreak.bin\u201D is no longer there, so it is left out.")
            .leftOut,
        "\u201Cline\u23CEbreak.bin\u201D is no longer there, so it is left out.");
    EXPECT_EQ(reviewContent({}, std::nullopt, std::nullopt).leftOut, std::nullopt);
}

TEST(OneLineText, ShowsEveryCharacterOnOneLine) {
    struct Case {
        const char* text;
        const char* line;
    };
    for (const Case& c :
         {Case{"plain name", "plain name"}, Case{"two\nlines", "two\u23CElines"},
          Case{"dos\r\nline", "dos\u23CEline"}, Case{"old\rmac", "old\u23CEmac"},
          Case{"tab\there", "tab\u21E5here"}, Case{"bell\a", "bell\uFFFD"}, Case{"del\x7F", "del\uFFFD"},
          Case{"caf\u00E9 \u2603", "caf\u00E9 \u2603"}, Case{"\n\n", "\u23CE\u23CE"}, Case{"", ""}})
        EXPECT_EQ(oneLineText(c.text), c.line) << c.text;
}

}  // namespace
}  // namespace korvane
