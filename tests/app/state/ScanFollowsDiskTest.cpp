#include <gtest/gtest.h>

#include <map>

#include "app/state/ScanFollowsDisk.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

using Action = DiskChange::Action;
using Place = DiskChange::Place;

// Gradle: a cache (300) and a wrapper (100) in a footprint of 420 (20 never
// offered, the daemon's logs); Node.js: one node_modules (50) of 60.
class ScanFollowsDiskTest : public ::testing::Test {
protected:
    ScanFollowsDiskTest() {
        cache = testing::makeCandidate(CleanupCategory::gradle, "/h/.gradle/caches", SafetyLevel::safe, 300);
        wrapper =
            testing::makeCandidate(CleanupCategory::gradle, "/h/.gradle/wrapper", SafetyLevel::safe, 100);
        modules = testing::makeCandidate(CleanupCategory::node, "/h/app/node_modules", SafetyLevel::safe, 50);
        scan = ScanResult({}, 1,
                          {CategoryResult(CleanupCategory::gradle, 420, {cache, wrapper}),
                           CategoryResult(CleanupCategory::node, 60, {modules})},
                          VolumeInfo(1000, 100), {});
    }

    static std::map<CleanupCategory, std::int64_t> footprints(const ScanResult& scan) {
        std::map<CleanupCategory, std::int64_t> result;
        for (const auto& category : scan.categories) result[category.category] = category.footprint;
        return result;
    }
    static std::map<std::string, std::int64_t> sizes(const ScanResult& scan) {
        std::map<std::string, std::int64_t> result;
        for (const auto& candidate : scan.allCandidates()) result[candidate.path] = candidate.size;
        return result;
    }

    CleanupCandidate cache, wrapper, modules;
    ScanResult scan;
};

TEST_F(ScanFollowsDiskTest, EveryTotalFallsByWhatLeftTheDisk) {
    struct Case {
        const char* what;
        DiskChange change;
        std::map<CleanupCategory, std::int64_t> footprints;
        std::map<std::string, std::int64_t> sizes;
    };
    const auto left = [](std::vector<Place> places) {
        DiskChange change;
        change.left = std::move(places);
        return change;
    };
    DiskChange byCommand;
    byCommand.removedByCommand = {modules.id};
    DiskChange stopped;  // a removal of the cache stopped partway, and one of a folder inside the wrapper
    stopped.shrank = {{cache.path, 120, cache.id, false}, {"/h/.gradle/wrapper/dists", 500, std::nullopt, false}};
    const Case cases[] = {
        {"the whole Gradle folder, removed from general mode",
         left({{"/h/.gradle", 420, std::nullopt, false}}),
         {{CleanupCategory::gradle, 20}, {CleanupCategory::node, 60}},
         {{modules.path, 50}}},
        {"the cache by its candidate, part of the wrapper (it shrinks) and logs no candidate holds",
         left({{cache.path, 300, cache.id, false},
               {"/h/.gradle/wrapper/dists/x", 90, std::nullopt, false},
               {"/h/.gradle/daemon", 500, std::nullopt, false}}),
         {{CleanupCategory::gradle, 30}, {CleanupCategory::node, 60}},
         {{wrapper.path, 10}, {modules.path, 50}}},
        {"removals stopped partway: the items stay, smaller, and the footprint falls once for each",
         stopped,
         {{CleanupCategory::gradle, 200}, {CleanupCategory::node, 60}},
         {{cache.path, 180}, {wrapper.path, 0}, {modules.path, 50}}},
        {"a command's removal, by its candidate",
         byCommand,
         {{CleanupCategory::gradle, 420}, {CleanupCategory::node, 10}},
         {{cache.path, 300}, {wrapper.path, 100}}},
    };
    for (const Case& c : cases) {
        ScanResult followed = scan;
        std::vector<CleanupCandidate> dropped;
        const auto outcome = ScanFollowsDisk::apply(followed, c.change, dropped);
        EXPECT_EQ(footprints(followed), c.footprints) << c.what;
        EXPECT_EQ(sizes(followed), c.sizes) << c.what;
        EXPECT_EQ(outcome.changed, followed != scan) << c.what;
    }
    // A footprint measured below what its candidates add up to never falls under what is still offered.
    ScanResult low = scan;
    for (auto& category : low.categories)
        if (category.category == CleanupCategory::node) category.footprint = 40;
    std::vector<CleanupCandidate> dropped;
    DiskChange inside;
    inside.left = {{"/h/app/node_modules/x", 30, std::nullopt, false}};
    ScanFollowsDisk::apply(low, inside, dropped);
    EXPECT_EQ(footprints(low)[CleanupCategory::node], 20);
}

TEST_F(ScanFollowsDiskTest, APutBackReturnsWhatTheCleanupTookAndTheFreeSpaceFollows) {
    ScanResult followed = scan;
    std::vector<CleanupCandidate> dropped;
    DiskChange cleanup;
    cleanup.left = {{cache.path, 300, cache.id, false}, {"/h/app/node_modules/x", 30, std::nullopt, false}};
    cleanup.arrived = {{"/h/.local/share/Trash/files/caches", 300, cache.id, true}};
    cleanup.volume = VolumeInfo(1000, 130);
    ScanFollowsDisk::apply(followed, cleanup, dropped);
    EXPECT_EQ(followed.volume, VolumeInfo(1000, 130));
    ASSERT_EQ(dropped.size(), 1u);

    DiskChange putBack;
    putBack.action = Action::putBack;
    putBack.left = {{"/h/.local/share/Trash/files/caches", 300, cache.id, true},
                    {"/h/.local/share/Trash/files/x", 30, std::nullopt, true}};
    putBack.arrived = {{cache.path, 300, cache.id, false},
                       {"/h/app/node_modules/x", 30, std::nullopt, false}};
    putBack.volume = VolumeInfo(1000, 100);
    const auto outcome = ScanFollowsDisk::apply(followed, putBack, dropped);
    EXPECT_EQ(outcome.returned, std::set<UUID>{cache.id});
    EXPECT_TRUE(dropped.empty());
    EXPECT_EQ(footprints(followed), footprints(scan));
    EXPECT_EQ(sizes(followed), sizes(scan));
    EXPECT_EQ(followed.volume, scan.volume);
}

}  // namespace
}  // namespace korvane
