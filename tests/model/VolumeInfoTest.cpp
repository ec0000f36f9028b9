#include "core/model/VolumeInfo.h"

#include <limits>
#include <sys/statvfs.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/text/Json.h"

namespace korvane {
namespace {

struct statvfs fakeStatvfs(unsigned long blocks, unsigned long freeBlocks, unsigned long availableBlocks) {
    struct statvfs info {};
    info.f_frsize = 4096;
    info.f_bsize = 4096;
    info.f_blocks = blocks;
    info.f_bfree = freeBlocks;
    info.f_bavail = availableBlocks;
    return info;
}

// df's figures: Used = blocks − free blocks, Avail = available blocks, and
// Use% = used of used + available rounded up; the root reserve (free blocks
// the user cannot have) is in neither.
TEST(VolumeInfoTest, CountsAsDfDoesWithALargeReserve) {
    struct Case {
        const char* name;
        struct statvfs info;
        std::int64_t used;
        std::int64_t available;
        int percent;
    };
    const Case cases[] = {
        // 270 GB of blocks, 168 GB of them reserved: 26.6 GB used, 75.7 GB available.
        {"large reserve", fakeStatvfs(66'000'000, 59'500'000, 18'490'000), 26'624'000'000, 75'735'040'000, 27},
        {"exact share", fakeStatvfs(1000, 800, 600), 819'200, 2'457'600, 25},
        {"one block used", fakeStatvfs(1000, 999, 999), 4096, 4'091'904, 1},
        {"reserve only left", fakeStatvfs(1000, 50, 0), 3'891'200, 0, 100},
        {"more free than blocks", fakeStatvfs(10, 20, 20), 0, 81'920, 0},
        {"nothing at all", fakeStatvfs(0, 0, 0), 0, 0, 0},
    };
    for (const Case& c : cases) {
        const VolumeInfo volume = VolumeInfo::of(c.info);
        EXPECT_EQ(volume.totalCapacity, static_cast<std::int64_t>(c.info.f_blocks) * 4096) << c.name;
        EXPECT_EQ(volume.usedCapacity, c.used) << c.name;
        EXPECT_EQ(volume.availableCapacity, c.available) << c.name;
        EXPECT_EQ(volume.usedPercent(), c.percent) << c.name;
    }
    const VolumeInfo reserved = VolumeInfo::of(cases[0].info);
    EXPECT_NEAR(reserved.usedFraction(), 26'624.0 / (26'624 + 75'735.04), 1e-12);
}

TEST(VolumeInfoTest, StoredFiguresWithoutUsedReadAsAVolumeWithoutReserve) {
    const VolumeInfo volume(1000, 300, 200);
    EXPECT_EQ(decodeJson<VolumeInfo>(nlohmann::json(volume)), volume);
    EXPECT_EQ(decodeJson<VolumeInfo>(nlohmann::json::parse(R"({"totalCapacity":1000,"availableCapacity":300})")),
              VolumeInfo(1000, 300, 700));
    const auto huge = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(VolumeInfo(huge, huge - 1).usedPercent(), 1);
    EXPECT_EQ(VolumeInfo(huge, 1).usedPercent(), 100);
}

}  // namespace
}  // namespace korvane
