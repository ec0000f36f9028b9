#include <gtest/gtest.h>

#include <limits>

#include "app/presenters/CleanupProgressContent.h"
#include "app/presenters/CompletionContent.h"
#include "app/state/DemonstrationData.h"

namespace korvane {
namespace {

using Status = CleanupOutcome::Status;

CleanupOutcome outcome(std::string title, Status status, std::int64_t bytes = 1'000'000,
                       std::optional<std::string> message = std::nullopt) {
    return {UUID::random(), CleanupCategory::node, std::move(title), "/home/u/" + title, bytes, status,
            std::move(message)};
}

CleanupReport reportOf(std::vector<CleanupOutcome> outcomes) {
    return {{}, 1, std::move(outcomes), VolumeInfo(1000, 100), VolumeInfo(1000, 400)};
}

TEST(CompletionContent, SummarisesTheDemonstrationReport) {
    const CleanupReport report = DemonstrationData::report();
    ReportFollowUp demonstration;
    demonstration.ownInTrash = report.restorable();
    demonstration.demonstration = true;
    const CompletionContent content =
        completionContent(report, std::nullopt, report.restorable(), demonstration);
    ASSERT_TRUE(content.report);
    const CompletionReportContent& shown = *content.report;
    EXPECT_EQ(shown.title, "Cleanup complete");
    EXPECT_EQ(shown.symbol, "checkmark.circle.fill");
    EXPECT_TRUE(shown.accented);
    EXPECT_TRUE(shown.showsFreed);
    // Deleted, deleted, pruned and trashed count; the skipped one does not.
    EXPECT_EQ(shown.freedBytes, 6'900'000'000 + 4'100'000'000 + 7'400'000'000 + 5'600'000'000);
    EXPECT_EQ(shown.locations, "removed from 4 locations");
    EXPECT_EQ(shown.before.title, "Before");
    EXPECT_EQ(shown.before.free, "18.4 GB free");
    EXPECT_NEAR(shown.before.usedFraction, (245.11 - 18.4) / 245.11, 1e-12);
    EXPECT_EQ(shown.after.title, "After");
    EXPECT_EQ(shown.after.free, "36.8 GB free");
    EXPECT_NEAR(shown.after.usedFraction, (245.11 - 36.8) / 245.11, 1e-12);
    ASSERT_TRUE(shown.trash);
    EXPECT_EQ(shown.trash->headline, "5.6 GB can still be put back");
    EXPECT_EQ(shown.trash->emptyTitle, "Empty 5.6 GB");
    EXPECT_EQ(shown.trash->explanation,
              "Those items are in the Trash. The disk space comes back when you empty it \u2014 Korvane can empty "
              "just what it put there, and nothing else of yours.");
    EXPECT_TRUE(shown.trash->canPutBack);
    EXPECT_TRUE(shown.trash->canEmpty);
    ASSERT_TRUE(shown.notRemoved);
    EXPECT_EQ(shown.notRemoved->heading, "1 item was not removed");
    ASSERT_EQ(shown.notRemoved->rows.size(), 1u);
    EXPECT_EQ(shown.notRemoved->rows[0].title, "Gradle 8.2 cache");
    EXPECT_EQ(shown.notRemoved->rows[0].message, "Already gone");
    EXPECT_FALSE(shown.notRemoved->rows[0].failed);
    EXPECT_FALSE(content.notice);
}

TEST(CompletionContent, TheTrashPanelTellsWhatTheTrashHoldsNow) {
    // Items of 1 and 2 MB went to the Trash; the panel follows what is still
    // there, and "Empty" what of Korvane's is there over every cleanup (an
    // earlier cleanup left 10 MB).
    struct Case {
        std::vector<bool> inTrash, putBack, emptied;  // per trashed item
        std::optional<std::vector<bool>> own;  // this run's items, then the earlier one; none: not measured
        const char* headline;
        std::string explanation;
        const char* emptyTitle;
        bool putBackEnabled, emptyEnabled;
    };
    const std::string inTrash =
        "Those items are in the Trash. The disk space comes back when you empty it \u2014 Korvane can empty "
        "just "
        "what it put there, and nothing else of yours.";
    const std::string earlier =
        " Earlier cleanups left 10 MB in the Trash too; \u201CEmpty\u201D removes that as well.";
    const std::string back = "Those items are back where they were.";
    const std::string emptied = "Korvane emptied those items from the Trash, so their space is free again.";
    const std::string gone =
        "Those items are no longer in the Trash, so there is nothing of them to put back.";
    const std::string mixed =
        "Some of those items are back where they were; Korvane emptied the rest from the Trash.";
    // clang-format off
    const Case cases[] = {
        {{true, true}, {false, false}, {false, false}, std::vector{true, true, false}, "3 MB can still be put back", inTrash, "Empty 3 MB", true, true},
        {{true, true}, {false, false}, {false, false}, std::vector{true, true, true}, "3 MB can still be put back", inTrash + earlier, "Empty 13 MB", true, true},
        {{true, true}, {false, false}, {false, false}, std::nullopt, "3 MB can still be put back", inTrash, "Empty", true, false},
        {{true, false}, {false, true}, {false, false}, std::vector{true, false, false}, "1 MB can still be put back", inTrash, "Empty 1 MB", true, true},
        {{false, false}, {false, false}, {true, true}, std::vector{false, false, false}, "Nothing left to put back", emptied, "Empty", false, false},
        {{false, false}, {false, false}, {true, true}, std::vector{false, false, true}, "Nothing left to put back", emptied + earlier, "Empty 10 MB", false, true},
        {{false, false}, {false, false}, {false, false}, std::vector{false, false, false}, "Nothing left to put back", gone, "Empty", false, false},
        {{false, false}, {true, true}, {false, false}, std::vector{false, false, false}, "Nothing left to put back", back, "Empty", false, false},
        {{false, false}, {true, false}, {false, true}, std::vector{false, false, false}, "Nothing left to put back", mixed, "Empty", false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.explanation);
        std::vector<CleanupOutcome> outcomes = {outcome("a", Status::trashed, 1'000'000),
                                                outcome("b", Status::trashed, 2'000'000),
                                                outcome("c", Status::deleted)};
        const CleanupOutcome earlierItem = outcome("old", Status::trashed, 10'000'000);
        std::vector<CleanupOutcome> left;
        ReportFollowUp followUp;
        for (std::size_t index = 0; index < 2; ++index) {
            outcomes[index].trashURL = "/home/u/.local/share/Trash/files/" + outcomes[index].title;
            outcomes[index].putBack = c.putBack[index];
            if (c.inTrash[index]) left.push_back(outcomes[index]);
            if (c.emptied[index]) followUp.emptied.insert(outcomes[index].candidateID);
        }
        if (c.own) {
            followUp.ownInTrash.emplace();
            for (std::size_t index = 0; index < 3; ++index)
                if ((*c.own)[index])
                    followUp.ownInTrash->push_back(index < 2 ? outcomes[index] : earlierItem);
        }
        const auto content =
            completionContent(reportOf(outcomes), "Emptied 3 MB from the Trash.", left, followUp);
        ASSERT_TRUE(content.report->trash);
        const TrashPanel& panel = *content.report->trash;
        EXPECT_EQ(panel.headline, c.headline);
        EXPECT_EQ(panel.explanation, c.explanation);
        EXPECT_EQ(panel.emptyTitle, c.emptyTitle);
        EXPECT_EQ(panel.canPutBack, c.putBackEnabled);
        EXPECT_EQ(panel.canEmpty, c.emptyEnabled);
    }
}

TEST(CompletionContent, WhileAPutBackOrAnEmptyingRunsNeitherIsOfferedAndTheRunningOneSaysSo) {
    CleanupOutcome item = outcome("a", Status::trashed, 1'000'000);
    item.trashURL = "/home/u/.local/share/Trash/files/a";
    ReportFollowUp followUp;
    followUp.ownInTrash = std::vector{item};
    struct Case {
        TrashWork work;
        const char* putBackTitle;
        const char* emptyTitle;
        bool enabled;
    };
    const Case cases[] = {
        {TrashWork::none, "Put it back", "Empty 1 MB", true},
        {TrashWork::puttingBack, "Putting back\u2026", "Empty 1 MB", false},
        {TrashWork::emptying, "Put it back", "Emptying\u2026", false},
    };
    for (const Case& c : cases) {
        const TrashPanel panel =
            *completionContent(reportOf({item}), std::nullopt, {item}, followUp, false, c.work).report->trash;
        EXPECT_EQ(panel.putBackTitle, c.putBackTitle);
        EXPECT_EQ(panel.emptyTitle, c.emptyTitle);
        EXPECT_EQ(panel.canPutBack, c.enabled);
        EXPECT_EQ(panel.canEmpty, c.enabled);
    }
}

TEST(CompletionContent, TheHeaderSaysWhatWasRemovedPutBackOrWhyNothingWas) {
    struct Case {
        std::vector<Status> statuses;
        std::vector<bool> putBack;
        std::vector<const char*> messages;
        const char* title;
        const char* symbol;
        bool removed;  // accented, with the byte headline
        std::int64_t bytes;
        const char* line;
    };
    const char* never = "You marked this \u201CNever touch\u201D";
    // clang-format off
    const Case cases[] = {
        {{Status::deleted, Status::trashed}, {false, false}, {nullptr, nullptr}, "Cleanup complete", "checkmark.circle.fill", true, 3'000'000, "removed from 2 locations"},
        {{Status::skipped}, {false}, {never}, "Nothing was removed", "minus.circle", false, 0, "You marked this \u201CNever touch\u201D."},
        {{Status::skipped, Status::skipped}, {false, false}, {never, never}, "Nothing was removed", "minus.circle", false, 0, "For each of the 2 items: You marked this \u201CNever touch\u201D."},
        {{Status::failed, Status::skipped}, {false, false}, {"Permission denied", never}, "Nothing was removed", "minus.circle", false, 0, "Each item below says why it was not removed."},
        {{}, {}, {}, "Nothing was removed", "minus.circle", false, 0, "Nothing was chosen to remove."},
        {{Status::trashed, Status::trashed}, {true, true}, {nullptr, nullptr}, "Put back", "arrow.uturn.backward.circle", true, 3'000'000, "returned to 2 locations"},
        {{Status::deleted, Status::trashed}, {false, true}, {nullptr, nullptr}, "Cleanup complete", "checkmark.circle.fill", true, 1'000'000, "removed from 1 location \u00B7 2 MB put back"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<CleanupOutcome> outcomes;
        for (std::size_t index = 0; index < c.statuses.size(); ++index) {
            outcomes.push_back(
                outcome("item" + std::to_string(index), c.statuses[index],
                        static_cast<std::int64_t>(index + 1) * 1'000'000,
                        c.messages[index] ? std::optional<std::string>(c.messages[index]) : std::nullopt));
            outcomes.back().putBack = c.putBack[index];
        }
        const CompletionReportContent shown = *completionContent(reportOf(outcomes), std::nullopt, {}).report;
        EXPECT_EQ(shown.title, c.title);
        EXPECT_EQ(shown.symbol, c.symbol);
        EXPECT_EQ(shown.accented, c.removed);
        EXPECT_EQ(shown.showsFreed, c.removed);
        EXPECT_EQ(shown.freedBytes, c.bytes);
        EXPECT_EQ(shown.locations, c.line);
    }
}

// Part of the item had left the Trash when it was put back: that part stays removed.
TEST(CompletionContent, AnItemThatCameBackWithLessThanWentCountsTheRestAsRemoved) {
    CleanupOutcome item = outcome("build", Status::trashed, 3'000'000);
    item.trashURL = "/home/u/.local/share/Trash/files/build";
    item.putBack = true;
    item.putBackBytes = 1'000'000;
    const CompletionReportContent shown = *completionContent(reportOf({item}), std::nullopt, {}).report;
    EXPECT_EQ(shown.title, "Cleanup complete");
    EXPECT_EQ(shown.freedBytes, 2'000'000);
    EXPECT_EQ(shown.locations, "removed from part of 1 location \u00B7 1 MB put back");
    ASSERT_TRUE(shown.trash);
    EXPECT_EQ(shown.trash->headline, "Nothing left to put back");
    EXPECT_EQ(shown.trash->explanation,
              "Those items are back where they were, but not all of what went: part of it had already left the Trash.");
}

TEST(CompletionContent, AfterIsMeasuredAgainOnceTheTrashWasEmptiedInOnePrecisionWithBefore) {
    const CleanupReport report = {{},
                                  1,
                                  {outcome("a", Status::trashed)},
                                  VolumeInfo(100'000'000'000, 78'400'000'000),
                                  VolumeInfo(100'000'000'000, 78'400'000'000)};
    EXPECT_EQ(completionContent(report, std::nullopt, {}).report->after.free, "78.4 GB free");
    ReportFollowUp followUp;
    followUp.volumeNow = VolumeInfo(100'000'000'000, 78'510'000'000);
    const CompletionReportContent shown = *completionContent(report, std::nullopt, {}, followUp).report;
    EXPECT_EQ(shown.before.free, "78.40 GB free");
    EXPECT_EQ(shown.after.free, "78.51 GB free");
    EXPECT_NEAR(shown.after.usedFraction, 0.2149, 1e-12);
}

TEST(CompletionContent, AStoppedRunSaysSoAndCountsWhatWentOfTheItemItLeft) {
    CleanupOutcome partly = outcome("cache", Status::skipped, 5'000'000, "Stopped partway");
    partly.removedBytes = 1'500'000;
    CleanupReport report = reportOf({outcome("done", Status::deleted), partly,
                                     outcome("later", Status::skipped, 1'000'000, "Cancelled")});
    EXPECT_EQ(completionContent(report, std::nullopt, {}).report->title, "Cleanup complete");
    report.stopped = true;
    const CompletionContent content = completionContent(report, std::nullopt, {});
    EXPECT_EQ(content.report->title, "Cleanup stopped");
    EXPECT_NE(content.report->symbol, "checkmark.circle.fill");
    EXPECT_EQ(content.report->freedBytes, 2'500'000);
    // The item the stop left is not counted as a location it was removed from, but named as begun.
    EXPECT_EQ(content.report->locations, "removed from 1 location and part of 1 more");
    ASSERT_TRUE(content.report->notRemoved);
    EXPECT_EQ(content.report->notRemoved->rows.size(), 2u);
}

TEST(CompletionContent, AStopPartwayThroughTheOnlyItemSaysPartOfItWent) {
    struct Case {
        std::vector<std::int64_t> removed;  // per stopped item
        std::int64_t whole;
        const char* locations;
    };
    const Case cases[] = {
        {{27'600'000}, 0, "removed from part of 1 location"},
        {{1, 2}, 0, "removed from parts of 2 locations"},
        {{1, 2}, 3, "removed from 3 locations and parts of 2 more"},
        {{0}, 2, "removed from 2 locations"},
    };
    for (const Case& c : cases) {
        std::vector<CleanupOutcome> outcomes;
        for (std::int64_t index = 0; index < c.whole; ++index) outcomes.push_back(outcome("done", Status::deleted));
        for (std::int64_t bytes : c.removed) {
            CleanupOutcome partly = outcome("cache", Status::skipped, 5'000'000, "Stopped partway");
            partly.removedBytes = bytes;
            outcomes.push_back(partly);
        }
        CleanupReport report = reportOf(outcomes);
        report.stopped = true;
        EXPECT_EQ(completionContent(report, std::nullopt, {}).report->locations, c.locations);
    }
}

TEST(CompletionContent, CountsLocationsAndShowsTheTrashPanelOnlyForTrashedBytes) {
    struct Case {
        std::vector<Status> statuses;
        const char* locations;
        bool trash;
    };
    const Case cases[] = {
        {{Status::deleted}, "removed from 1 location", false},
        {{Status::deleted, Status::pruned}, "removed from 2 locations", false},
        {{Status::trashed, Status::skipped}, "removed from 1 location", true},
        {{Status::failed, Status::failed}, "Each item below says why it was not removed.", false},
    };
    for (const Case& c : cases) {
        std::vector<CleanupOutcome> outcomes;
        for (Status status : c.statuses) outcomes.push_back(outcome("item", status));
        const CompletionContent content = completionContent(reportOf(outcomes), std::nullopt, {});
        EXPECT_EQ(content.report->locations, c.locations);
        EXPECT_EQ(content.report->trash.has_value(), c.trash) << c.locations;
    }
    // A trashed item of no size (an empty file, one name of a hard-linked one) can be put back too.
    const CleanupReport empty = reportOf({outcome("empty", Status::trashed, 0)});
    const auto trash = completionContent(empty, std::nullopt, empty.outcomes).report->trash;
    ASSERT_TRUE(trash);
    EXPECT_TRUE(trash->canPutBack);
    EXPECT_EQ(trash->headline, "1 item can still be put back");
}

TEST(CompletionContent, ListsFailuresBeforeSkipsAndShowsTheFirstSix) {
    std::vector<CleanupOutcome> outcomes;
    // Report order mixes them; the list puts every failure first.
    outcomes.push_back(outcome("skipped 1", Status::skipped, 1, "Cancelled before this item was reached"));
    for (int index = 1; index <= 7; ++index) outcomes.push_back(outcome("failed " + std::to_string(index), Status::failed, 1, "Permission denied"));
    outcomes.push_back(outcome("skipped 2", Status::skipped));
    outcomes.push_back(outcome("gone", Status::deleted));
    const CompletionContent content = completionContent(reportOf(outcomes), std::nullopt, {});
    ASSERT_TRUE(content.report->notRemoved);
    EXPECT_EQ(content.report->notRemoved->heading, "9 items were not removed");
    ASSERT_EQ(content.report->notRemoved->rows.size(), 6u);
    for (std::size_t index = 0; index < 6; ++index) {
        EXPECT_EQ(content.report->notRemoved->rows[index].title, "failed " + std::to_string(index + 1));
        EXPECT_TRUE(content.report->notRemoved->rows[index].failed);
    }

    // Two skips after one failure: all three show, in that order.
    // A line break in a name shows as a symbol: the row stays one line.
    const CompletionContent few =
        completionContent(reportOf({outcome("s1", Status::skipped), outcome("f\n1", Status::failed),
                                    outcome("s2", Status::skipped)}),
                          std::nullopt, {});
    std::vector<std::string> titles;
    for (const NotRemovedRow& row : few.report->notRemoved->rows) titles.push_back(row.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"f\u23CE1", "s1", "s2"}));
    EXPECT_EQ(few.report->notRemoved->heading, "3 items were not removed");

    // A picked file may be called anything: its row stays one line.
    const CompletionContent odd =
        completionContent(reportOf({outcome("line\nbreak.bin", Status::failed)}), std::nullopt, {});
    EXPECT_EQ(odd.report->notRemoved->rows[0].title, "line\u23CEbreak.bin");

    EXPECT_FALSE(
        completionContent(reportOf({outcome("gone", Status::deleted)}), std::nullopt, {}).report->notRemoved);
}

TEST(CompletionContent, UsedFractionStaysWithinTheBar) {
    struct Case {
        VolumeInfo volume;
        double used;
    };
    const Case cases[] = {
        {VolumeInfo(0, 0), 0},
        {VolumeInfo(0, 500), 0},
        {VolumeInfo(-10, 5), 0},
        {VolumeInfo(100, 400), 0},
        {VolumeInfo(100, 25), 0.75},
        {VolumeInfo(100, -50), 1},
        {VolumeInfo(std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()), 1},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(usedFraction(c.volume), c.used);
}

TEST(CompletionContent, WithoutAReportOnlyTheNoticeShows) {
    const CompletionContent content = completionContent(std::nullopt, "Summary copied.", {});
    EXPECT_FALSE(content.report);
    EXPECT_EQ(content.notice, "Summary copied.");
}

TEST(CleanupProgressContent, CountsItemsAndKeepsTheBarDefined) {
    struct Case {
        CleanupProgress progress;
        double fraction;
        const char* count;
    };
    const Case cases[] = {
        {CleanupProgress(), 0, "0 of 0"},
        {CleanupProgress(3, 12, "storefront", 1'000), 0.25, "3 of 12"},
        {CleanupProgress(12, 12, "", 5'000), 1, "12 of 12"},
        {CleanupProgress(5, 0, "", 0), 0, "5 of 0"},
        {CleanupProgress(9, 4, "", 0), 1, "9 of 4"},
    };
    for (const Case& c : cases) {
        const CleanupProgressContent content = cleanupProgressContent(c.progress);
        EXPECT_DOUBLE_EQ(content.fraction, c.fraction) << c.count;
        EXPECT_EQ(content.count, c.count);
        EXPECT_EQ(content.currentTitle, c.progress.currentTitle);
        EXPECT_EQ(content.freedSoFar, c.progress.freedSoFar);
    }
    EXPECT_EQ(cleanupProgressContent(CleanupProgress(0, 1, "", -5)).freedSoFar, 0);
}

}  // namespace
}  // namespace korvane
