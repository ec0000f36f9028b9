#include <gtest/gtest.h>

#include "app/state/CleanupTexts.h"

namespace korvane {
namespace {

CategoryResult category(CleanupCategory which, std::int64_t footprint, std::int64_t reclaimable) {
    CleanupCandidate candidate;
    candidate.id = UUID::random();
    candidate.size = reclaimable;
    return CategoryResult(which, footprint, {candidate});
}

TEST(CleanupTextsTest, SummaryNamesTheThreeCategoriesWithTheMostToReclaim) {
    EXPECT_EQ(CleanupTexts::shareSummary(std::nullopt), "Korvane found nothing to clean.");
    ScanResult scan({}, 12.5,
                    {category(CleanupCategory::gradle, 3'000'000'000, 1'000'000'000),
                     category(CleanupCategory::xcode, 9'000'000'000, 4'000'000'000),
                     category(CleanupCategory::node, 8'000'000'000, 7'500'000'000),
                     category(CleanupCategory::docker, 2'000'000'000, 2'000'000'000),
                     category(CleanupCategory::flutter, 0, 0)},
                    {}, {});
    EXPECT_EQ(
        CleanupTexts::shareSummary(scan),
        "Korvane found 14.5 GB of reclaimable developer storage on my computer \u2014 Node.js 7.5 GB, Xcode 4 GB, "
        "Docker 2 GB. Scanned in 12s.");
}

TEST(CleanupTextsTest, ReportSummaryTellsWhatStayedRemovedAndWhatDidNot) {
    using Status = CleanupOutcome::Status;
    const auto outcome = [](std::string title, std::int64_t bytes, Status status, bool putBack = false,
                            std::optional<std::string> message = std::nullopt) {
        CleanupOutcome made(UUID::random(), CleanupCategory::toolchains, std::move(title), "/home/u/x", bytes,
                            status, std::move(message));
        made.putBack = putBack;
        return made;
    };
    // An item a stop left partway, of which `removed` bytes went.
    const auto stopped = [&outcome](std::string title, std::int64_t removed) {
        CleanupOutcome made = outcome(std::move(title), 40'000'000, Status::skipped, false, "Stopped partway");
        made.removedBytes = removed;
        return made;
    };
    const VolumeInfo before(100'000'000'000, 78'400'000'000);
    const VolumeInfo after(100'000'000'000, 78'510'000'000);
    struct Case {
        std::vector<CleanupOutcome> outcomes;
        VolumeInfo after;
        const char* summary;
    };
    const Case cases[] = {
        {{outcome("film.mkv", 60'000'000, Status::trashed)},
         after,
         "Korvane removed 60 MB from 1 location \u2014 film.mkv 60 MB. 60 MB of it went to the Trash. Free "
         "space "
         "went from 78.40 GB to 78.51 GB."},
        {{outcome("a", 1'000'000, Status::deleted), outcome("b", 4'000'000, Status::deleted),
          outcome("c", 3'000'000, Status::trashed), outcome("d", 2'000'000, Status::pruned),
          outcome("e", 5'000'000, Status::failed, false, "Permission denied")},
         VolumeInfo(),
         "Korvane removed 10 MB from 4 locations \u2014 b 4 MB, c 3 MB, d 2 MB and 1 more. 3 MB of it went "
         "to the "
         "Trash. 1 item was not removed."},
        {{outcome("film.mkv", 60'000'000, Status::trashed, true),
          outcome("old.iso", 2'000'000, Status::deleted)},
         VolumeInfo(),
         "Korvane removed 2 MB from 1 location \u2014 old.iso 2 MB. 60 MB was put back afterwards."},
        {{outcome("film.mkv", 60'000'000, Status::trashed, true)},
         VolumeInfo(),
         "Korvane moved 60 MB to the Trash and put all of it back."},
        {{stopped("cache", 27'600'000), outcome("later", 1'000, Status::skipped, false, "Cancelled")},
         VolumeInfo(),
         "Korvane removed 27.6 MB from part of 1 location. 2 items were not removed."},
        {{outcome("old.iso", 2'000'000, Status::deleted), stopped("cache", 1'000'000)},
         VolumeInfo(),
         "Korvane removed 3 MB from 1 location and part of 1 more \u2014 old.iso 2 MB. 1 item was not removed."},
        {{outcome("report.pdf", 1'000, Status::skipped, false, "You marked this \u201CNever touch\u201D")},
         after,
         "Korvane removed nothing. You marked this \u201CNever touch\u201D. Free space went from 78.40 GB to "
         "78.51 GB."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CleanupTexts::reportSummary(CleanupReport({}, 1, c.outcomes, before, c.after)), c.summary);
}

TEST(CleanupTextsTest, StagingSaysWhatItLeftOutAndWhy) {
    using NeverTouched = CleanupTexts::NeverTouched;
    const std::string marked = " a place you marked \u201CNever touch\u201D";
    struct Case {
        std::vector<std::string> gone;
        std::vector<NeverTouched> neverTouched;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {{}, {}, std::nullopt},
        {{}, {{"report.pdf", false}}, "\u201Creport.pdf\u201D is in" + marked + ", so it is left out."},
        {{}, {{"Projects", true}}, "\u201CProjects\u201D holds" + marked + ", so it is left out."},
        {{},
         {{"a", false}, {"b", false}},
         "2 of the chosen items are in" + marked + ", so they are left out."},
        {{}, {{"a", true}, {"b", true}}, "2 of the chosen items hold" + marked + ", so they are left out."},
        {{},
         {{"a", false}, {"b", true}},
         "2 of the chosen items are in or hold" + marked + ", so they are left out."},
        {{"gone.zip"},
         {{"report.pdf", false}},
         "\u201Cgone.zip\u201D is no longer there, so it is left out. \u201Creport.pdf\u201D is in" + marked +
             ", so it is left out."},
    };
    for (const Case& c : cases) EXPECT_EQ(CleanupTexts::leftOutNotice(c.gone, c.neverTouched, {}), c.line);
}

}  // namespace
}  // namespace korvane
