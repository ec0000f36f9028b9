#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "core/safety/CleanupEngine.h"
#include "core/safety/RestoreEngine.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/safety/CleanupFixture.h"
#include "tests/explorer/ScanTestSupport.h"
#include "tests/scanners/ScannerTestSupport.h"

namespace korvane {
namespace {

using Status = CleanupOutcome::Status;
using testing::allocated;
using testing::exists;
using testing::setModified;

const auto kTaken = std::chrono::system_clock::from_time_t(1'700'000'000);

class CleanupConsentTest : public testing::CleanupFixture {
protected:
    CleanupEngine engine{trash_};

    // A pick of the item as it stands now, carrying what the scan saw of it.
    static CleanupCandidate picked(const std::string& path) {
        auto item = candidate(path, allocated(path), SafetyLevel::caution);
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        item.seen = ItemIdentity::of(st);
        return item;
    }
    CleanupOutcome runOne(const CleanupCandidate& item, Disposal disposal) {
        CleanupReport report = engine.run(
            {item}, [disposal](const CleanupCandidate&) { return disposal; }, nullptr);
        EXPECT_EQ(report.outcomes.size(), 1u);
        return report.outcomes.empty() ? CleanupOutcome() : report.outcomes[0];
    }
    bool trashIsEmpty() const {
        return !exists(trashRoot_ + "/files") || std::filesystem::is_empty(trashRoot_ + "/files");
    }
};

// A photo ticked at 5 KB that became something else before Clean is left
// where it is, whichever way the run disposes of items.
TEST_F(CleanupConsentTest, APickThatChangedAfterTheReviewIsLeftAlone) {
    struct Change {
        const char* what;
        void (*apply)(testing::TempTree&, const std::string& path);
    };
    const Change changes[] = {
        {"replaced by a larger file of the same name and date",
         [](testing::TempTree& tree, const std::string& path) {
             const std::string fresh = tree.file("home/Pictures/export.tmp", 300'000);
             setModified(fresh, kTaken);
             ASSERT_EQ(std::rename(fresh.c_str(), path.c_str()), 0);
         }},
        {"written again in place",
         [](testing::TempTree&, const std::string& path) {
             FILE* file = std::fopen(path.c_str(), "ab");
             ASSERT_NE(file, nullptr);
             const std::string more(300'000, 'y');
             std::fwrite(more.data(), 1, more.size(), file);
             std::fclose(file);
             setModified(path, kTaken);
         }},
        {"touched", [](testing::TempTree&, const std::string& path) { setModified(path, kTaken + std::chrono::seconds(60)); }},
    };
    for (const Disposal disposal : {Disposal::trash, Disposal::delete_}) {
        for (const Change& change : changes) {
            SCOPED_TRACE(std::string(change.what) +
                         (disposal == Disposal::trash ? ", to the Trash" : ", deleted"));
            const std::string photo = tree_.file("home/Pictures/IMG 0001.jpg", 5'000, 'p');
            setModified(photo, kTaken);
            const CleanupCandidate item = picked(photo);
            change.apply(tree_, photo);
            const std::int64_t now = allocated(photo);

            const CleanupOutcome outcome = runOne(item, disposal);
            EXPECT_EQ(outcome.status, Status::skipped);
            EXPECT_EQ(outcome.message, "Changed since the scan, so it is left out");
            EXPECT_EQ(outcome.trashURL, std::nullopt);
            EXPECT_EQ(allocated(photo), now);
            EXPECT_TRUE(trashIsEmpty());
            std::remove(photo.c_str());
        }
    }
}

// A folder is the one chosen while it is the same folder: what it holds may
// change (caches grow), and the outcome counts what really went with it.
TEST_F(CleanupConsentTest, AFolderThatGrewStillGoesAndCountsWhatWentWithIt) {
    for (const Disposal disposal : {Disposal::trash, Disposal::delete_}) {
        SCOPED_TRACE(disposal == Disposal::trash ? "to the Trash" : "deleted");
        const std::string folder = tree_.folder("home/Downloads/Tool.app");
        tree_.file("home/Downloads/Tool.app/bin", 10'000);
        const CleanupCandidate item = picked(folder);
        const std::string added = tree_.file("home/Downloads/Tool.app/update.bin", 400'000);
        const std::int64_t whole = allocated(folder) + allocated(folder + "/bin") + allocated(added);

        const CleanupOutcome outcome = runOne(item, disposal);
        EXPECT_EQ(outcome.status, disposal == Disposal::trash ? Status::trashed : Status::deleted);
        EXPECT_FALSE(exists(folder));
        EXPECT_EQ(outcome.expectedBytes, whole);
        EXPECT_GT(outcome.expectedBytes, item.size);
        if (outcome.trashURL) {
            ASSERT_EQ(trash_->purge(*outcome.trashURL, folder).status, Trash::Status::done);
        }
    }
    // Another folder under its name is not the one chosen.
    const std::string folder = tree_.folder("home/Downloads/Tool.app");
    const CleanupCandidate item = picked(folder);
    ASSERT_EQ(std::rename(folder.c_str(), at("Downloads/Old.app").c_str()), 0);
    tree_.file("home/Downloads/Tool.app/other", 10);
    EXPECT_EQ(runOne(item, Disposal::delete_).message, "Changed since the scan, so it is left out");
    EXPECT_TRUE(exists(folder + "/other"));
}

// The run counts what each item measured as it went, not the scan's figure:
// the card and the history then say what really left.
TEST_F(CleanupConsentTest, TheReportCountsWhatEachItemMeasuredAsItWent) {
    tree_.file("home/project/node_modules/a.js", 20'000);
    tree_.file("home/project/node_modules/b/c.js", 50'000);
    const std::string modules = at("project/node_modules");
    const std::int64_t whole = allocated(modules) + allocated(modules + "/b") + allocated(modules + "/a.js") +
                               allocated(modules + "/b/c.js");
    const std::string single = tree_.file("home/Videos/film.mkv", 70'000);
    const std::string linked = tree_.file("home/Videos/linked.mkv", 70'000);
    tree_.hardlink("home/elsewhere.mkv", "home/Videos/linked.mkv");
    struct Case {
        const char* what;
        std::string path;
        Disposal disposal;
        std::int64_t went;
    };
    const Case cases[] = {
        {"a cache that grew since the scan, deleted", modules, Disposal::delete_, whole},
        {"a file, to the Trash", single, Disposal::trash, allocated(single)},
        {"one name of a file that has another, to the Trash", linked, Disposal::trash, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto item = candidate(c.path, 1'000, SafetyLevel::caution, "general.userChoice");
        CleanupReport report = engine.run(
            {item}, [&c](const CleanupCandidate&) { return c.disposal; }, nullptr);
        ASSERT_EQ(report.outcomes.size(), 1u);
        EXPECT_TRUE(report.outcomes[0].succeeded());
        EXPECT_EQ(report.outcomes[0].expectedBytes, c.went);
        EXPECT_EQ(report.freedBytes(), c.went);
    }
}

// "Empty" names, and empties, what Korvane's items in the Trash hold now: an
// item that grew there since it went in frees what it holds now.
TEST_F(CleanupConsentTest, EmptyingCountsWhatTheItemsInTheTrashHoldNow) {
    tree_.file("home/Downloads/album/one.flac", 5'000);
    const std::string single = tree_.file("home/Downloads/notes.txt", 3'000);
    const CleanupReport report = engine.run(
        {candidate(at("Downloads/album"), 5'000), candidate(single, 3'000)},
        [](const CleanupCandidate&) { return Disposal::trash; }, nullptr);
    ASSERT_EQ(report.restorable().size(), 2u);
    const std::string album = *report.outcomes[0].trashURL;
    const std::string notes = *report.outcomes[1].trashURL;
    tree_.file(album.substr(tree_.root().size() + 1) + "/two.flac", 250'000);
    const std::int64_t now = testing::duBytes(album) + testing::duBytes(notes);
    ASSERT_GT(now, report.trashedBytes());

    const RestoreEngine restorer(trash_);
    std::int64_t named = 0;
    for (const auto& held : restorer.inTrash({report})) named += held.expectedBytes;
    EXPECT_EQ(named, now);
    EXPECT_EQ(restorer.purgeFromTrash({report}), now);
    EXPECT_FALSE(exists(album));
}

}  // namespace
}  // namespace korvane
