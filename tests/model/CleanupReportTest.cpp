#include "core/model/CleanupReport.h"

#include <cstdio>
#include <limits>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/model/CleanupProgress.h"
#include "core/text/Json.h"
#include "tests/model/ModelSamples.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using Status = CleanupOutcome::Status;

CleanupOutcome outcome(Status status, std::int64_t bytes, std::optional<std::string> trash = std::nullopt,
                       std::optional<std::string> message = std::nullopt) {
    return CleanupOutcome(UUID::random(), CleanupCategory::node, "item", "/home/u/item", bytes, status,
                          std::move(message), std::move(trash));
}

TEST(CleanupReportTest, StatusTextForms) {
    for (auto status : allCleanupStatuses())
        EXPECT_EQ(CleanupOutcome::statusFromRawValue(rawValue(status)), status);
    EXPECT_FALSE(CleanupOutcome::statusFromRawValue("removed"));
    EXPECT_FALSE(CleanupOutcome::statusFromRawValue("Deleted"));
    EXPECT_TRUE(outcome(Status::pruned, 1).succeeded());
    EXPECT_FALSE(outcome(Status::skipped, 1).succeeded());
    EXPECT_FALSE(outcome(Status::failed, 1).succeeded());
}

TEST(CleanupReportTest, Totals) {
    CleanupReport report(samples::date(0), 2, {outcome(Status::deleted, 100), outcome(Status::trashed, 50, "/t/a"),
                                               outcome(Status::trashed, 30), outcome(Status::pruned, 20),
                                               outcome(Status::skipped, 7, {}, "Already gone"),
                                               outcome(Status::failed, 9, {}, "Permission denied")},
                         VolumeInfo(10, 1), VolumeInfo(10, 2));
    EXPECT_EQ(report.freedBytes(), 200);
    EXPECT_EQ(report.trashedBytes(), 80);
    ASSERT_EQ(report.failures().size(), 1u);
    EXPECT_EQ(report.failures()[0].expectedBytes, 9);
    ASSERT_EQ(report.skippedOutcomes().size(), 1u);
    EXPECT_EQ(report.skippedOutcomes()[0].expectedBytes, 7);
    ASSERT_EQ(report.restorable().size(), 1u);
    EXPECT_EQ(report.restorable()[0].trashURL, "/t/a");
}

TEST(CleanupReportTest, AStoppedRunCountsWhatWentOfAnItemItLeftAndSaysItWasStopped) {
    CleanupOutcome partly = outcome(Status::skipped, 5'000, {}, "Stopped partway");
    partly.removedBytes = 1'200;
    CleanupOutcome trashed = outcome(Status::trashed, 300, "/t/a");
    CleanupReport report(samples::date(0), 1, {outcome(Status::deleted, 100), trashed, partly},
                         VolumeInfo(10, 1), VolumeInfo(10, 2));
    report.stopped = true;
    EXPECT_EQ(report.freedBytes(), 1'600);
    report.markPutBack({trashed.candidateID});
    EXPECT_EQ(report.keptFreedBytes(), 1'300);

    // Both are stored only when they say something, and read back.
    const auto j = nlohmann::json(report);
    EXPECT_EQ(j.at("stopped"), true);
    EXPECT_EQ(j.at("outcomes")[2].at("removedBytes"), 1'200);
    EXPECT_FALSE(j.at("outcomes")[0].contains("removedBytes"));
    EXPECT_EQ(decodeJson<CleanupReport>(j), report);
    report.stopped = false;
    EXPECT_FALSE(nlohmann::json(report).contains("stopped"));
    // A negative figure in a stored file counts as nothing.
    auto stored = nlohmann::json(partly);
    stored["removedBytes"] = -40;
    EXPECT_EQ(decodeJson<CleanupOutcome>(stored)->removedBytes, 0);
}

TEST(CleanupReportTest, WhatDidNotComeBackOfAnItemPutBackStaysRemoved) {
    CleanupOutcome whole = outcome(Status::trashed, 300, "/t/a");
    CleanupOutcome part = outcome(Status::trashed, 1'000, "/t/b");
    CleanupReport report(samples::date(0), 1, {whole, part}, VolumeInfo(10, 1), VolumeInfo(10, 2));
    report.markPutBack({whole.candidateID, part.candidateID}, {{part.candidateID, 400}});
    EXPECT_TRUE(report.wasPutBack());
    EXPECT_EQ(report.keptFreedBytes(), 600);

    const auto j = nlohmann::json(report);
    EXPECT_FALSE(j.at("outcomes")[0].contains("putBackBytes"));
    EXPECT_EQ(j.at("outcomes")[1].at("putBackBytes"), 400);
    EXPECT_EQ(decodeJson<CleanupReport>(j), report);
}

TEST(CleanupReportTest, EmptyReport) {
    CleanupReport report;
    EXPECT_EQ(report.freedBytes(), 0);
    EXPECT_EQ(report.trashedBytes(), 0);
    EXPECT_TRUE(report.failures().empty());
    EXPECT_TRUE(report.skippedOutcomes().empty());
    EXPECT_TRUE(report.restorable().empty());
    EXPECT_FALSE(report.hasRestorableItemsInTrash());
}

TEST(CleanupReportTest, SumsSaturateAndIgnoreNegatives) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    CleanupReport report(samples::date(0), 0,
                         {outcome(Status::trashed, kMax), outcome(Status::trashed, kMax), outcome(Status::deleted, -10)},
                         {}, {});
    EXPECT_EQ(report.freedBytes(), kMax);
    EXPECT_EQ(report.trashedBytes(), kMax);
}

TEST(CleanupReportTest, RestorableItemsAreLookedUpEachTime) {
    testing::TempTree trash;
    auto item = trash.file("files/cache", 10);
    auto link = trash.symlink("files/link", "missing-target");
    CleanupReport report(samples::date(0), 0,
                         {outcome(Status::trashed, 1, trash.path("files/gone")), outcome(Status::trashed, 1, item)}, {},
                         {});
    EXPECT_TRUE(report.hasRestorableItemsInTrash());
    std::remove(item.c_str());
    EXPECT_FALSE(report.hasRestorableItemsInTrash());
    EXPECT_EQ(report.restorable().size(), 2u);

    // A dangling link in the Trash is still an item there.
    CleanupReport linked(samples::date(0), 0, {outcome(Status::trashed, 1, link)}, {}, {});
    EXPECT_TRUE(linked.hasRestorableItemsInTrash());
    // Only trashed outcomes count.
    CleanupReport deleted(samples::date(0), 0, {outcome(Status::deleted, 1, trash.root())}, {}, {});
    EXPECT_FALSE(deleted.hasRestorableItemsInTrash());
}

TEST(CleanupReportTest, OutcomeJsonLeavesOutAbsentOptionals) {
    auto plain = outcome(Status::deleted, 42);
    auto j = nlohmann::json(plain);
    EXPECT_FALSE(j.contains("message"));
    EXPECT_FALSE(j.contains("trashURL"));
    EXPECT_EQ(j.at("status"), "deleted");
    EXPECT_EQ(j.at("path"), "/home/u/item");  // a plain path, not a URL
    EXPECT_EQ(j.at("candidateID"), plain.candidateID.text());
    EXPECT_EQ(decodeJson<CleanupOutcome>(j), plain);

    auto command = CleanupOutcome(UUID::random(), CleanupCategory::docker, "Build cache",
                                  std::string(CleanupOutcome::commandPath), 5, Status::failed, "Docker is not running");
    EXPECT_EQ(command.path, "\u2014");
    EXPECT_EQ(decodeJson<CleanupOutcome>(nlohmann::json(command)), command);
}

TEST(CleanupReportTest, ReportJsonRoundTrip) {
    CleanupReport report(samples::date(1709993100), 4.5,
                         {outcome(Status::trashed, 50, "/home/u/.local/share/Trash/files/item"),
                          outcome(Status::skipped, 7, {}, "Already gone")},
                         VolumeInfo(1000, 100), VolumeInfo(1000, 150));
    auto j = nlohmann::json(report);
    EXPECT_EQ(j.at("date"), "2024-03-09T14:05:00Z");
    EXPECT_EQ(decodeJson<CleanupReport>(j), report);
    auto list = nlohmann::json::array({j, j});
    auto decoded = decodeJson<std::vector<CleanupReport>>(list);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->size(), 2u);
}

TEST(CleanupReportTest, StrictDecodingFailsTheWholeList) {
    CleanupReport report(samples::date(0), 1, {outcome(Status::deleted, 1)}, {}, {});
    auto list = nlohmann::json::array({nlohmann::json(report), nlohmann::json(report)});
    EXPECT_TRUE(decodeJson<std::vector<CleanupReport>>(list));

    auto bad = list;
    bad[1]["outcomes"][0]["status"] = "removed";
    EXPECT_FALSE(decodeJson<std::vector<CleanupReport>>(bad));

    for (const char* key : {"date", "duration", "outcomes", "volumeBefore", "volumeAfter"}) {
        bad = list;
        bad[0].erase(key);
        EXPECT_FALSE(decodeJson<std::vector<CleanupReport>>(bad)) << key;
    }
    for (const char* key : {"candidateID", "category", "title", "path", "expectedBytes", "status"}) {
        bad = list;
        bad[0]["outcomes"][0].erase(key);
        EXPECT_FALSE(decodeJson<std::vector<CleanupReport>>(bad)) << key;
    }
    bad = list;
    bad[0]["outcomes"][0]["candidateID"] = "nope";
    EXPECT_FALSE(decodeJson<std::vector<CleanupReport>>(bad));
    bad = list;
    bad[0]["outcomes"][0]["path"] = std::string("/a\0b", 4);
    EXPECT_FALSE(decodeJson<std::vector<CleanupReport>>(bad));
    bad = list;
    bad[0]["date"] = "2024-03-09T14:05:00.123Z";  // fractional seconds are fine
    EXPECT_TRUE(decodeJson<std::vector<CleanupReport>>(bad));
}

// Paths are bytes: any byte string comes back as it went in, through strict
// UTF-8 JSON text, and older plain paths still read.
TEST(CleanupReportTest, StoredPathsRoundTripAnyBytes) {
    struct Row {
        std::string path;
        std::string stored;
    };
    const std::vector<Row> rows = {
        {"/home/u/caf\xe9/cache", "file:///home/u/caf%E9/cache"},
        {"/home/u/bad\xff\xfe name%", "file:///home/u/bad%FF%FE%20name%25"},
        {"/home/u/100% caf\u00e9", "/home/u/100% caf\u00e9"},  // UTF-8 stays plain, as before
        {"file://looks-encoded", "file://file://looks-encoded"},
        {"\u2014", "\u2014"},
    };
    for (const Row& row : rows) {
        auto item = CleanupOutcome(UUID::random(), CleanupCategory::node, "item", row.path, 1, Status::trashed,
                                   std::nullopt, row.path + "/in-trash");
        auto j = nlohmann::json(item);
        EXPECT_EQ(j.at("path"), row.stored) << row.path;
        // Strict UTF-8 output: nothing needs replacing any more.
        const std::string text = j.dump();
        auto back = decodeJson<CleanupOutcome>(nlohmann::json::parse(text));
        ASSERT_TRUE(back) << row.path;
        EXPECT_EQ(*back, item) << row.path;
    }
    auto old = nlohmann::json(outcome(Status::trashed, 1, "/t/%41"));
    old["path"] = "/home/u/%41";
    auto read = decodeJson<CleanupOutcome>(old);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->path, "/home/u/%41");
    EXPECT_EQ(read->trashURL, "/t/%41");
    for (const char* bad : {"file:///a%00b", "file:///a%zz"}) {
        old["path"] = bad;
        EXPECT_FALSE(decodeJson<CleanupOutcome>(old)) << bad;
    }
}

TEST(CleanupProgressTest, InitialValueAndEquality) {
    CleanupProgress initial;
    EXPECT_EQ(initial, CleanupProgress(0, 0, "", 0));
    CleanupProgress progress(1, 3, "node_modules", 10);
    auto copy = progress;
    copy.freedSoFar = 20;
    EXPECT_NE(copy, progress);
}

}  // namespace
}  // namespace korvane
