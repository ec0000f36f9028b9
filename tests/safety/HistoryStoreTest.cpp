#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "core/text/IsoDate.h"
#include "core/system/Paths.h"
#include "core/safety/HistoryStore.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempTree;
using Clock = std::chrono::system_clock;

Clock::time_point at(const char* iso) { return *IsoDate::parse(iso); }

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> asideCopies(const std::string& folder, const std::string& name) {
    std::vector<std::string> found;
    for (const std::string& entry : entries(folder))
        if (entry.starts_with(name + ".unreadable-")) found.push_back(entry);
    return found;
}

CleanupCandidate candidate(CleanupCategory category, std::int64_t size, SafetyLevel safety) {
    return CleanupCandidate(UUID::random(), category, "rule.x", "Group", "Item", "/home/u/cache", size,
                            safety, "Rebuilt on demand", std::nullopt, std::nullopt, {}, RemovalKind::path());
}

ScanResult scanAt(Clock::time_point date, std::int64_t freeSpace = 1000) {
    std::vector<CategoryResult> categories{
        CategoryResult(CleanupCategory::xcode, 5000,
                       {candidate(CleanupCategory::xcode, 3000, SafetyLevel::safe),
                        candidate(CleanupCategory::xcode, 1500, SafetyLevel::dangerous)}),
        CategoryResult(CleanupCategory::node, 700,
                       {candidate(CleanupCategory::node, 600, SafetyLevel::caution)}),
    };
    return ScanResult(date, 12.5, categories, VolumeInfo(1'000'000, freeSpace), {CleanupCategory::docker},
                      1.5, 3);
}

CleanupReport reportAt(Clock::time_point date, std::int64_t freed) {
    CleanupOutcome outcome(UUID::random(), CleanupCategory::node, "node_modules", "/home/u/p/node_modules",
                           freed, CleanupOutcome::Status::deleted, std::nullopt);
    return CleanupReport(date, 2.0, {outcome}, VolumeInfo(100, 10), VolumeInfo(100, 20));
}

// The C library caches the zone; make it read TZ again once the test's own
// setting is gone, so later tests see the machine's zone.
struct ZoneReset {
    ~ZoneReset() { ::tzset(); }
};

// A store over a fresh folder, in a fixed time zone so calendar days do not
// depend on the machine.
struct HistoryStoreTest : ::testing::Test {
    ZoneReset zoneReset;
    TempTree tree;
    std::string folder = tree.folder("Korvane");
    HistoryStore store{folder};
    ScopedEnv tz{"TZ", std::string("UTC0")};

    std::string file(const char* name) const { return folder + "/" + name; }
};

// ---- snapshots ----------------------------------------------------------

TEST_F(HistoryStoreTest, ASnapshotSumsTheScanAndKeysItsCategories) {
    HistoryStore::Snapshot snapshot(scanAt(at("2024-03-09T10:00:00Z"), 4242));
    EXPECT_EQ(snapshot.date, at("2024-03-09T10:00:00Z"));
    EXPECT_EQ(snapshot.developerStorage, 5700);
    EXPECT_EQ(snapshot.reclaimable, 3600);  // the dangerous item does not count
    EXPECT_EQ(snapshot.freeSpace, 4242);
    EXPECT_EQ(snapshot.byCategory, (std::map<std::string, std::int64_t>{{"xcode", 5000}, {"node", 700}}));
}

TEST_F(HistoryStoreTest, SnapshotsAreWrittenWithSortedKeysAndWholeSecondDates) {
    store.recordSnapshot(scanAt(at("2024-03-09T10:15:30.7Z")));
    std::string text = slurp(file(HistoryStore::snapshotsFile));
    std::vector<std::size_t> positions;
    for (const char* key :
         {"\"byCategory\"", "\"date\"", "\"developerStorage\"", "\"freeSpace\"", "\"reclaimable\""})
        positions.push_back(text.find(key));
    EXPECT_EQ(std::count(positions.begin(), positions.end(), std::string::npos), 0) << text;
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << text;
    EXPECT_NE(text.find("\"2024-03-09T10:15:30Z\""), std::string::npos) << text;

    auto stored = store.snapshots();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].date, at("2024-03-09T10:15:30Z"));
}

TEST_F(HistoryStoreTest, OneSnapshotPerLocalDayTheLaterScanWins) {
    store.recordSnapshot(scanAt(at("2024-03-09T08:00:00Z"), 1));
    store.recordSnapshot(scanAt(at("2024-03-09T23:59:59Z"), 2));
    store.recordSnapshot(scanAt(at("2024-03-10T00:00:01Z"), 3));  // just after midnight: a new day
    auto stored = store.snapshots();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].freeSpace, 2);
    EXPECT_EQ(stored[1].freeSpace, 3);

    // Nine hours east of UTC, 16:00 UTC on the 9th is already the 10th, the
    // local day of both stored scans.
    ScopedEnv tokyo("TZ", std::string("JST-9"));
    store.recordSnapshot(scanAt(at("2024-03-09T16:00:00Z"), 4));
    stored = store.snapshots();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].freeSpace, 4);
}

TEST_F(HistoryStoreTest, AtMostFourHundredSnapshotsInDateOrder) {
    nlohmann::json list = nlohmann::json::array();
    Clock::time_point first = at("2023-01-01T12:00:00Z");
    for (int day = 0; day < 400; ++day) {
        std::string date = IsoDate::format(first + std::chrono::hours(24 * day));
        list.push_back({{"date", date},
                        {"developerStorage", day},
                        {"reclaimable", 0},
                        {"freeSpace", 0},
                        {"byCategory", nlohmann::json::object()}});
    }
    tree.text("Korvane/snapshots.json", list.dump());

    store.recordSnapshot(scanAt(first + std::chrono::hours(24 * 400)));
    auto stored = store.snapshots();
    ASSERT_EQ(stored.size(), 400u);
    EXPECT_EQ(stored.front().developerStorage, 1);  // the earliest day is gone
    EXPECT_EQ(stored.back().date, first + std::chrono::hours(24 * 400));
    EXPECT_TRUE(
        std::is_sorted(stored.begin(), stored.end(), [](auto& a, auto& b) { return a.date < b.date; }));

    // A late-arriving older scan lands in date order and is the one dropped.
    store.recordSnapshot(scanAt(first - std::chrono::hours(24)));
    stored = store.snapshots();
    ASSERT_EQ(stored.size(), 400u);
    EXPECT_EQ(stored.front().developerStorage, 1);
}

TEST_F(HistoryStoreTest, ASnapshotLackingAKeyMakesTheFileUnreadable) {
    tree.text("Korvane/snapshots.json",
              R"([{"date":"2024-03-09T10:00:00Z","developerStorage":1,"reclaimable":1,"freeSpace":1}])");
    EXPECT_TRUE(store.snapshots().empty());
    tree.text(
        "Korvane/snapshots.json",
        R"([{"date":"2024-03-09T10:00:00.250+01:00","developerStorage":1,"reclaimable":1,"freeSpace":1,)"
        R"("byCategory":{"flutter":9}}])");
    auto stored = store.snapshots();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].date, at("2024-03-09T09:00:00.250Z"));
    EXPECT_EQ(stored[0].byCategory.at("flutter"), 9);
}

// ---- cleanup reports ----------------------------------------------------

TEST_F(HistoryStoreTest, ReportsComeBackNewestFirstAndAtMostTwoHundred) {
    Clock::time_point first = at("2024-01-01T00:00:00Z");
    nlohmann::json list = nlohmann::json::array();
    for (int i = 199; i >= 0; --i) list.push_back(reportAt(first + std::chrono::minutes(i), i + 1));
    tree.text("Korvane/cleanups.json", list.dump());

    store.record(reportAt(first + std::chrono::minutes(500), 1000));
    auto stored = store.reports();
    ASSERT_EQ(stored.size(), 200u);
    EXPECT_EQ(stored.front().date, first + std::chrono::minutes(500));
    EXPECT_EQ(stored.back().date, first + std::chrono::minutes(1));  // the oldest is gone
    EXPECT_TRUE(
        std::is_sorted(stored.begin(), stored.end(), [](auto& a, auto& b) { return a.date > b.date; }));

    // An older report than all stored ones is the one that falls off.
    store.record(reportAt(first - std::chrono::minutes(1), 5));
    EXPECT_EQ(store.reports().back().date, first + std::chrono::minutes(1));
}

TEST_F(HistoryStoreTest, ReportDatesDropTheirFraction) {
    CleanupReport report = reportAt(at("2024-03-09T10:15:30.7Z"), 10);
    store.record(report);
    auto stored = store.reports();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].date, at("2024-03-09T10:15:30Z"));
    report.date = stored[0].date;
    EXPECT_EQ(stored[0], report);
}

TEST_F(HistoryStoreTest, TotalsOfAnEmptyHistory) {
    EXPECT_EQ(store.totalFreed(), 0);
    EXPECT_FALSE(store.hasReports());
    store.record(reportAt(at("2024-03-09T10:00:00Z"), 300));
    store.record(reportAt(at("2024-03-10T10:00:00Z"), 200));
    EXPECT_EQ(store.totalFreed(), 500);
    EXPECT_TRUE(store.hasReports());
}

TEST_F(HistoryStoreTest, TotalFreedIgnoresNegativeSizesAndSaturates) {
    store.record(reportAt(at("2024-03-09T10:00:00Z"), -50));
    store.record(reportAt(at("2024-03-10T10:00:00Z"), 100));
    EXPECT_EQ(store.totalFreed(), 100);
    store.record(reportAt(at("2024-03-11T10:00:00Z"), INT64_MAX - 10));
    EXPECT_EQ(store.totalFreed(), INT64_MAX);
}

TEST_F(HistoryStoreTest, WhatWasPutBackLeavesTheTotalAndIsMarkedInTheFile) {
    const auto trashed = [](CleanupReport report) {
        report.outcomes[0].status = CleanupOutcome::Status::trashed;
        return report;
    };
    CleanupReport first = trashed(reportAt(at("2024-03-09T10:00:00Z"), 300));
    first.outcomes.push_back(CleanupOutcome(UUID::random(), CleanupCategory::node, "kept", "/home/u/kept",
                                            100, CleanupOutcome::Status::deleted, std::nullopt));
    const CleanupReport second = trashed(reportAt(at("2024-03-10T10:00:00Z"), 200));
    store.record(first);
    store.record(second);
    // Nothing put back: the file reads as it always did, without the new field.
    EXPECT_EQ(slurp(file(HistoryStore::cleanupsFile)).find("putBack"), std::string::npos);

    // A deleted item never came back, whatever it is asked.
    store.markPutBack(
        {first.outcomes[0].candidateID, first.outcomes[1].candidateID, second.outcomes[0].candidateID});
    EXPECT_EQ(store.totalFreed(), 100);  // only what stayed removed
    const auto stored = store.reports();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_TRUE(stored[0].outcomes[0].putBack);
    EXPECT_TRUE(stored[1].outcomes[0].putBack);
    EXPECT_FALSE(stored[1].outcomes[1].putBack);
    EXPECT_EQ(stored[1].freedBytes(), 400);  // what the run removed stays on record
    EXPECT_EQ(stored[1].keptFreedBytes(), 100);
    // Stored only where set: older code reads past a field it does not know.
    const auto json = nlohmann::json::parse(slurp(file(HistoryStore::cleanupsFile)));
    EXPECT_EQ(json[0]["outcomes"][0]["putBack"], true);
    EXPECT_FALSE(json[1]["outcomes"][1].contains("putBack"));
}

// ---- last scan ----------------------------------------------------------

TEST_F(HistoryStoreTest, LastScanRoundTripsAndIsReplaced) {
    EXPECT_FALSE(store.loadLastScan());
    ScanResult first = scanAt(at("2024-03-09T10:00:00Z"), 1);
    store.saveLastScan(first);
    EXPECT_EQ(store.loadLastScan(), first);
    ScanResult second = scanAt(at("2024-03-10T10:00:00Z"), 2);
    store.saveLastScan(second);
    EXPECT_EQ(store.loadLastScan(), second);
    EXPECT_TRUE(asideCopies(folder, HistoryStore::lastScanFile).empty());
}

TEST_F(HistoryStoreTest, ALastScanLackingARequiredKeyIsNoScanAndIsKeptAside) {
    store.saveLastScan(scanAt(at("2024-03-09T10:00:00Z")));
    auto document = nlohmann::json::parse(slurp(file(HistoryStore::lastScanFile)));
    document.erase("projectCount");
    tree.text("Korvane/last-scan.json", document.dump());
    EXPECT_FALSE(store.loadLastScan());

    ScanResult next = scanAt(at("2024-03-10T10:00:00Z"));
    store.saveLastScan(next);
    EXPECT_EQ(store.loadLastScan(), next);
    auto aside = asideCopies(folder, HistoryStore::lastScanFile);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(nlohmann::json::parse(slurp(folder + "/" + aside[0])), document);
}

// ---- damaged files ------------------------------------------------------

TEST_F(HistoryStoreTest, ACorruptFileIsKeptAsideBeforeItIsReplaced) {
    const std::string garbage = "[{\"date\": \"2024-03-09T10:00:00Z\", \"dur";
    tree.text("Korvane/cleanups.json", garbage);
    EXPECT_TRUE(store.reports().empty());
    EXPECT_EQ(slurp(file(HistoryStore::cleanupsFile)), garbage);  // reading changes nothing

    store.record(reportAt(at("2024-03-09T11:00:00Z"), 10));
    EXPECT_EQ(store.reports().size(), 1u);
    auto aside = asideCopies(folder, HistoryStore::cleanupsFile);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(std::regex_match(aside[0], std::regex(R"(cleanups\.json\.unreadable-\d{8}T\d{6}Z)")))
        << aside[0];
    EXPECT_EQ(slurp(folder + "/" + aside[0]), garbage);

    // A second damaged file in the same second gets a name of its own.
    auto document = nlohmann::json::parse(slurp(file(HistoryStore::cleanupsFile)));
    document[0]["outcomes"][0]["status"] = "removed";
    tree.text("Korvane/cleanups.json", document.dump());
    EXPECT_TRUE(store.reports().empty());
    store.record(reportAt(at("2024-03-09T12:00:00Z"), 10));
    aside = asideCopies(folder, HistoryStore::cleanupsFile);
    ASSERT_EQ(aside.size(), 2u);
    std::set<std::string> kept{slurp(folder + "/" + aside[0]), slurp(folder + "/" + aside[1])};
    EXPECT_TRUE(kept.contains(garbage));
    EXPECT_TRUE(kept.contains(document.dump()));
}

TEST_F(HistoryStoreTest, AFileOverTheSizeLimitIsSetAsideAndRecordingGoesOn) {
    // Valid history padded with spaces: only its size is wrong.
    struct Case {
        const char* name;
        std::function<void()> write;
        std::function<std::size_t()> count;
    };
    const Case cases[] = {
        {HistoryStore::cleanupsFile, [&] { store.record(reportAt(at("2024-03-09T10:00:00Z"), 10)); },
         [&] { return store.reports().size(); }},
        {HistoryStore::snapshotsFile, [&] { store.recordSnapshot(scanAt(at("2024-03-09T10:00:00Z"))); },
         [&] { return store.snapshots().size(); }},
        {HistoryStore::lastScanFile, [&] { store.saveLastScan(scanAt(at("2024-03-09T10:00:00Z"))); },
         [&] { return std::size_t(store.loadLastScan().has_value()); }},
    };
    for (const Case& c : cases) {
        c.write();
        ASSERT_EQ(c.count(), 1u) << c.name;
        std::string text = slurp(file(c.name));
        text.append(static_cast<std::size_t>(HistoryStore::maxFileBytes) - text.size(), ' ');
        if (&c == &cases[0]) {
            tree.text(std::string("Korvane/") + c.name, text);
            EXPECT_EQ(c.count(), 1u) << c.name << ": at the limit";
        }

        tree.text(std::string("Korvane/") + c.name, text + " ");
        EXPECT_EQ(c.count(), 0u) << c.name;
        EXPECT_TRUE(asideCopies(folder, c.name).empty()) << c.name;  // reading changes nothing

        c.write();
        EXPECT_EQ(c.count(), 1u) << c.name;
        const auto aside = asideCopies(folder, c.name);
        ASSERT_EQ(aside.size(), 1u) << c.name;
        EXPECT_EQ(fs::file_size(folder + "/" + aside[0]), text.size() + 1) << c.name;
    }
    EXPECT_EQ(store.totalFreed(), 10);
    EXPECT_TRUE(store.hasReports());
}

TEST_F(HistoryStoreTest, AFileThatCannotBeOpenedIsKeptAsideToo) {
    // A folder where the file should be: unreadable even for root.
    tree.text("Korvane/snapshots.json/inside", "precious");
    EXPECT_TRUE(store.snapshots().empty());
    store.recordSnapshot(scanAt(at("2024-03-09T10:00:00Z")));
    EXPECT_EQ(store.snapshots().size(), 1u);
    auto aside = asideCopies(folder, HistoryStore::snapshotsFile);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(slurp(folder + "/" + aside[0] + "/inside"), "precious");
}

TEST_F(HistoryStoreTest, RunningOutOfDescriptorsNeverSetsAGoodFileAside) {
    store.record(reportAt(at("2024-03-09T10:00:00Z"), 10));
    const std::string before = slurp(file(HistoryStore::cleanupsFile));
    const CleanupReport later = reportAt(at("2024-03-10T10:00:00Z"), 20);

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Leave exactly two descriptors free: enough for the folder and the
        // lock file, not for opening the history file itself.
        rlimit limit{64, 64};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) ::_exit(2);
        std::vector<int> fillers;
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) fillers.push_back(fd);
        if (errno != EMFILE || fillers.size() < 2) ::_exit(3);
        ::close(fillers.back());
        ::close(fillers[fillers.size() - 2]);
        HistoryStore own(folder);
        own.record(later);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    EXPECT_TRUE(asideCopies(folder, HistoryStore::cleanupsFile).empty());
    EXPECT_EQ(slurp(file(HistoryStore::cleanupsFile)), before);
    EXPECT_EQ(store.reports().size(), 1u);
}

TEST_F(HistoryStoreTest, AMissingFileStartsEmptyWithNothingKeptAside) {
    store.record(reportAt(at("2024-03-09T10:00:00Z"), 10));
    store.recordSnapshot(scanAt(at("2024-03-09T10:00:00Z")));
    store.saveLastScan(scanAt(at("2024-03-09T10:00:00Z")));
    EXPECT_EQ(entries(folder),
              (std::vector<std::string>{HistoryStore::lockFile, HistoryStore::cleanupsFile,
                                        HistoryStore::lastScanFile, HistoryStore::snapshotsFile}));
}

TEST_F(HistoryStoreTest, ACrashMidWriteLeavesTheOldFileWhole) {
    store.record(reportAt(at("2024-03-09T10:00:00Z"), 10));
    std::string before = slurp(file(HistoryStore::cleanupsFile));
    // What a writer that died before its rename leaves behind.
    tree.text("Korvane/.cleanups.json.tmp-1A2B3C4D", "[{\"date\": \"2024-03-");

    EXPECT_EQ(slurp(file(HistoryStore::cleanupsFile)), before);
    EXPECT_EQ(store.reports().size(), 1u);
    store.record(reportAt(at("2024-03-10T10:00:00Z"), 20));
    EXPECT_EQ(store.reports().size(), 2u);
    EXPECT_FALSE(fs::exists(folder + "/.cleanups.json.tmp-1A2B3C4D"));  // cleared under the lock
    EXPECT_TRUE(asideCopies(folder, HistoryStore::cleanupsFile).empty());
}

TEST_F(HistoryStoreTest, FilesArePrivateToTheUser) {
    ::umask(0);
    store.record(reportAt(at("2024-03-09T10:00:00Z"), 10));
    store.recordSnapshot(scanAt(at("2024-03-09T10:00:00Z")));
    store.saveLastScan(scanAt(at("2024-03-09T10:00:00Z")));
    ::umask(022);
    for (const char* name : {HistoryStore::cleanupsFile, HistoryStore::snapshotsFile,
                             HistoryStore::lastScanFile, HistoryStore::lockFile}) {
        struct stat info {};
        ASSERT_EQ(::stat(file(name).c_str(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << name;
    }
}

TEST_F(HistoryStoreTest, AMissingFolderIsNeverCreatedAndReadsGiveNothing) {
    HistoryStore nowhere(tree.path("absent/Korvane"));
    nowhere.record(reportAt(at("2024-03-09T10:00:00Z"), 10));
    nowhere.recordSnapshot(scanAt(at("2024-03-09T10:00:00Z")));
    nowhere.saveLastScan(scanAt(at("2024-03-09T10:00:00Z")));
    EXPECT_TRUE(nowhere.reports().empty());
    EXPECT_TRUE(nowhere.snapshots().empty());
    EXPECT_FALSE(nowhere.loadLastScan());
    EXPECT_FALSE(fs::exists(tree.path("absent")));
}

// ---- reading once -------------------------------------------------------

TEST_F(HistoryStoreTest, ReadsAgainOnlyWhenTheFileChanged) {
    store.record(reportAt(at("2024-03-09T10:00:00Z"), 10));
    const std::string path = file(HistoryStore::cleanupsFile);
    const std::string original = slurp(path);
    ASSERT_EQ(store.totalFreed(), 10);
    const auto withFreed = [&](const char* figure) {
        std::string text = original;
        const std::string from = "\"expectedBytes\": 10";
        text.replace(text.find(from), from.size(), std::string("\"expectedBytes\": ") + figure);
        return text;
    };
    const auto modified = [&] {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return info.st_mtim;
    };
    const auto overwriteInPlace = [&](const std::string& text, timespec mtime) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
        const timespec times[2] = {mtime, mtime};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };

    // Same size, time and inode: the copy in memory stands (this is what
    // keeps frequent questions cheap).
    const timespec first = modified();
    overwriteInPlace(withFreed("20"), first);
    EXPECT_EQ(store.totalFreed(), 10);

    // One nanosecond later is a change.
    timespec later = first;
    later.tv_nsec = (later.tv_nsec + 1) % 1000000000;
    if (later.tv_nsec == 0) ++later.tv_sec;
    overwriteInPlace(withFreed("30"), later);
    EXPECT_EQ(store.totalFreed(), 30);

    // Another size is a change.
    overwriteInPlace(withFreed("400"), later);
    EXPECT_EQ(store.totalFreed(), 400);

    // Another file of the same size and time moved into its place too.
    const std::string replacement = tree.text("replacement.json", withFreed("500"));
    const timespec times[2] = {later, later};
    ASSERT_EQ(::utimensat(AT_FDCWD, replacement.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(replacement.c_str(), path.c_str()), 0);
    EXPECT_EQ(store.totalFreed(), 500);
    EXPECT_EQ(store.reports().front().outcomes.front().expectedBytes, 500);

    // Another store's record, and a file gone.
    HistoryStore other(folder);
    other.record(reportAt(at("2024-03-10T10:00:00Z"), 1));
    EXPECT_EQ(store.totalFreed(), 501);
    fs::remove(path);
    EXPECT_FALSE(store.hasReports());
}

// ---- several writers ----------------------------------------------------

TEST_F(HistoryStoreTest, TwoProcessesAppendingAtOnceLoseNothing) {
    constexpr int perWriter = 30;
    std::vector<pid_t> children;
    for (int writer = 0; writer < 2; ++writer) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            HistoryStore own(folder);
            for (int i = 0; i < perWriter; ++i)
                own.record(reportAt(at("2024-03-09T10:00:00Z") + std::chrono::seconds(writer * 1000 + i), 1));
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto stored = store.reports();
    EXPECT_EQ(stored.size(), 2u * perWriter);
    std::set<Clock::time_point> dates;
    for (const auto& report : stored) dates.insert(report.date);
    EXPECT_EQ(dates.size(), 2u * perWriter);
    EXPECT_TRUE(asideCopies(folder, HistoryStore::cleanupsFile).empty());
}

TEST_F(HistoryStoreTest, TwoStoresOnThreadsLoseNothing) {
    constexpr int perWriter = 20;
    std::vector<std::thread> writers;
    for (int writer = 0; writer < 2; ++writer)
        writers.emplace_back([&, writer] {
            HistoryStore own(folder);
            for (int i = 0; i < perWriter; ++i) {
                own.recordSnapshot(
                    scanAt(at("2024-03-09T10:00:00Z") + std::chrono::hours(24 * (writer * 100 + i))));
                (void)own.snapshots();
            }
        });
    for (auto& writer : writers) writer.join();
    EXPECT_EQ(store.snapshots().size(), 2u * perWriter);
}

// ---- default folder -----------------------------------------------------

TEST(HistoryStoreDefaultDirectoryTest, FollowsXdgDataHomeElseTheHomeFolder) {
    TempTree tree;
    Paths::setHomeForTesting(tree.path("home"));
    {
        ScopedEnv xdg("XDG_DATA_HOME", tree.path("data//"));
        std::string folder = HistoryStore::defaultDirectory();
        EXPECT_EQ(folder, tree.path("data/Korvane"));
        EXPECT_TRUE(fs::is_directory(folder));
    }
    for (std::optional<std::string> value :
         {std::optional<std::string>(), std::optional<std::string>("relative/x"),
          std::optional<std::string>("")}) {
        ScopedEnv xdg("XDG_DATA_HOME", value);
        std::string folder = HistoryStore::defaultDirectory();
        EXPECT_EQ(folder, tree.path("home/.local/share/Korvane"));
        EXPECT_TRUE(fs::is_directory(folder));
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0077, 0u);
    }
    Paths::setHomeForTesting(std::nullopt);
}

}  // namespace
}  // namespace korvane
