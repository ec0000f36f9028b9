#include <gtest/gtest.h>

#include "app/presenters/SpaceProjection.h"

// What removing a selection frees at once, and what only once the Trash is emptied.

namespace korvane {
namespace {

CleanupCandidate candidate(SafetyLevel safety, std::int64_t size, bool command = false) {
    CleanupCandidate made;
    made.id = UUID::random();
    made.path = "/home/u/item";
    made.safety = safety;
    made.size = size;
    if (command) made.removal = RemovalKind::command(ExternalTool::docker, {"image", "prune", "-f"});
    return made;
}

TEST(SpaceProjection, OnlyDeletedItemsAndCommandsFreeSpaceAtOnce) {
    // 1 MB safe (deleted when recommended), 20 MB cautious (to the Trash when
    // recommended), 300 MB removed by a command whatever the disposal.
    const std::vector<CleanupCandidate> selected = {candidate(SafetyLevel::safe, 1'000'000),
                                                    candidate(SafetyLevel::caution, 20'000'000),
                                                    candidate(SafetyLevel::caution, 300'000'000, true)};
    struct Case {
        std::optional<Disposal> chosen;
        std::vector<RemovalWay> ways;
        SpaceProjection projection;
        const char* text;
        std::optional<std::string> onceEmptied;
    };
    const Case cases[] = {
        {std::nullopt,
         {RemovalWay::deleted, RemovalWay::toTrash, RemovalWay::byCommand},
         {301'000'000, 300'000'000, 20'000'000},
         "Free 1.2 GB \u2192 1.5 GB",
         "+20 MB once the Trash is emptied"},
        {Disposal::trash,
         {RemovalWay::toTrash, RemovalWay::toTrash, RemovalWay::byCommand},
         {300'000'000, 300'000'000, 21'000'000},
         "Free 1.2 GB \u2192 1.5 GB",
         "+21 MB once the Trash is emptied"},
        {Disposal::delete_,
         {RemovalWay::deleted, RemovalWay::deleted, RemovalWay::byCommand},
         {321'000'000, 300'000'000, 0},
         "Free 1.20 GB \u2192 1.52 GB",
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (std::size_t index = 0; index < selected.size(); ++index)
            EXPECT_EQ(removalWay(selected[index], c.chosen), c.ways[index]) << index;
        const SpaceProjection projection = spaceProjection(selected, c.chosen);
        EXPECT_EQ(projection, c.projection);
        EXPECT_EQ(freeSpaceProjection(VolumeInfo(10'000'000'000, 1'200'000'000), projection), c.text);
        EXPECT_EQ(spaceOnceEmptied(projection), c.onceEmptied);
    }
    EXPECT_EQ(freeSpaceProjection(VolumeInfo(10'000'000'000, 78'400'000'000), {}),
              "Free 78.4 GB \u2192 78.4 GB");
}

}  // namespace
}  // namespace korvane
