#include <gtest/gtest.h>

#include "app/presenters/GaugeTint.h"
#include "app/presenters/LiveStatsContent.h"
#include "app/state/PlatformWords.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {
namespace {

TEST(GaugeTint, MetersWarnAboveTheirStrictBounds) {
    struct Case {
        double fraction;
        GaugeTint tint;
    };
    for (const Case& c : {Case{0, GaugeTint::accent}, Case{0.65, GaugeTint::accent}, Case{0.651, GaugeTint::amber},
                          Case{0.85, GaugeTint::amber}, Case{0.851, GaugeTint::red}, Case{1.2, GaugeTint::red}})
        EXPECT_EQ(meterTint(c.fraction), c.tint) << c.fraction;
}

TEST(GaugeTint, ColoursFollowTheThemesWarningPairs) {
    const Palette& paper = Palette::forTheme(ThemeID::paper);
    const Palette& graphite = Palette::forTheme(ThemeID::graphite);
    ASSERT_FALSE(paper.isDark);
    ASSERT_TRUE(graphite.isDark);
    EXPECT_EQ(tintColor(GaugeTint::amber, paper), paper.amber());
    EXPECT_EQ(tintColor(GaugeTint::amber, graphite), graphite.amber());
    EXPECT_EQ(tintColor(GaugeTint::red, paper), paper.red());
    EXPECT_EQ(tintColor(GaugeTint::red, graphite), graphite.red());
    EXPECT_NE(paper.amber(), graphite.amber());
    EXPECT_NE(paper.red(), graphite.red());
    EXPECT_EQ(tintColor(GaugeTint::accent, graphite), graphite.accent);
}

TEST(LiveStatsContent, UptimeReadsInHoursThenDays) {
    struct Case {
        double seconds;
        const char* text;
    };
    for (const Case& c : {Case{59, "0h 0m"}, Case{18420.9, "5h 7m"}, Case{86399, "23h 59m"}, Case{86400, "1d 0h"},
                          Case{90061, "1d 1h"}, Case{3 * 86400 + 4 * 3600 + 59 * 60, "3d 4h"}})
        EXPECT_EQ(uptimeText(c.seconds), c.text) << c.seconds;
}

TEST(LiveStatsContent, MetersCaptionsAndArcs) {
    SystemStats stats;
    stats.cpuUsage = 1.2;
    stats.userUsage = 0.999;
    stats.systemUsage = 0.2;
    stats.physicalMemory = 0;
    LiveStatsContent content = liveStatsContent(stats);
    ASSERT_EQ(content.meters.size(), 2u);  // no battery, no third ring
    EXPECT_EQ(content.meters[0].title, "CPU");
    EXPECT_EQ(content.meters[0].number, "120%");
    EXPECT_EQ(content.meters[0].arcEnd, 1.0);
    EXPECT_EQ(content.meters[0].caption, "120% in use");
    EXPECT_EQ(content.meters[0].detail, "User 99%  \u00b7  System 20%");
    EXPECT_EQ(content.meters[0].tint, GaugeTint::red);
    // No physical memory: the minimal arc, no division by zero.
    EXPECT_EQ(content.meters[1].value, 0);
    EXPECT_EQ(content.meters[1].arcEnd, 0.001);
    EXPECT_EQ(content.meters[1].number, "0%");
    EXPECT_FALSE(content.swapWarning);

    stats.cpuUsage = 0;
    stats.swapUsed = 1;
    content = liveStatsContent(stats);
    EXPECT_EQ(content.meters[0].arcEnd, 0.001);
    EXPECT_EQ(content.meters[0].number, "0%");
    EXPECT_EQ(content.swapWarning, platformWords::swapWarning(ByteFormat::string(1)));
}

TEST(LiveStatsContent, BatteryCaptionAndDetail) {
    struct Case {
        SystemStats::Battery battery;
        const char* caption;
        const char* detail;
    };
    const auto battery = [](int percentage, bool charging, std::optional<int> minutes,
                            std::optional<std::string> health) {
        SystemStats::Battery made;
        made.percentage = percentage;
        made.isCharging = charging;
        made.isPresent = true;
        made.minutesRemaining = minutes;
        made.health = std::move(health);
        return made;
    };
    const SystemStats::Battery minutes = battery(80, true, 125, std::nullopt);
    const SystemStats::Battery health = battery(57, false, std::nullopt, "Good");
    const SystemStats::Battery neither = battery(100, false, std::nullopt, std::nullopt);
    for (const Case& c : {Case{minutes, "80% \u00b7 charging", "About 2h 5m left"},
                          Case{health, "57%", "Health: Good"}, Case{neither, "100%", "On power"}}) {
        SystemStats stats;
        stats.battery = c.battery;
        const LiveStatsContent content = liveStatsContent(stats);
        ASSERT_EQ(content.meters.size(), 3u);
        EXPECT_EQ(content.meters[2].title, "BATTERY");
        EXPECT_EQ(content.meters[2].caption, c.caption);
        EXPECT_EQ(content.meters[2].detail, c.detail);
        EXPECT_EQ(content.meters[2].number, std::to_string(c.battery.percentage) + "%");
    }
}

// The memory is named in the kernel's terms; compressed memory is a kind of
// its own only while zswap is in use, and the memory meter's detail names the
// parts of the used figure with the legend's words.
TEST(LiveStatsContent, MemoryKindsInBarOrderWithTheirShares) {
    using Kinds = std::vector<std::pair<std::string, CleanupCategory>>;
    struct Case {
        bool zswap;
        Kinds kinds;
        std::string detail;
    };
    const Case cases[] = {
        {false,
         {{"Programs", CleanupCategory::node},
          {"Kernel", CleanupCategory::docker},
          {"Cached", CleanupCategory::android}},
         "Programs 8 GB  \u00b7  Kernel 1 GB"},
        {true,
         {{"Programs", CleanupCategory::node},
          {"Kernel", CleanupCategory::docker},
          {"Compressed (zswap)", CleanupCategory::gradle},
          {"Cached", CleanupCategory::android}},
         "Programs 8 GB  \u00b7  Kernel 1 GB  \u00b7  Compressed (zswap) 500 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zswap);
        SystemStats stats;
        stats.physicalMemory = 16'000'000'000;
        stats.appMemory = 8'000'000'000;
        stats.wiredMemory = 1'000'000'000;
        stats.compressedMemory = c.zswap ? 500'000'000 : 0;
        stats.cachedMemory = 4'000'000'000;
        stats.zswapInUse = c.zswap;
        const LiveStatsContent content = liveStatsContent(stats);
        ASSERT_EQ(content.memory.size(), c.kinds.size());
        for (std::size_t i = 0; i < c.kinds.size(); ++i) {
            EXPECT_EQ(content.memory[i].label, c.kinds[i].first);
            EXPECT_EQ(content.memory[i].colorOf, c.kinds[i].second);
        }
        EXPECT_DOUBLE_EQ(content.memory.front().fraction, 0.5);
        EXPECT_DOUBLE_EQ(content.memory.back().fraction, 0.25);
        EXPECT_EQ(content.meters[1].detail, c.detail);
    }
}

// A sample that would draw the same page is not drawn again; any change a
// reader could see is.
TEST(LiveStatsContent, ASampleThatLooksTheSameIsSkipped) {
    SystemStats base;
    base.cpuUsage = 0.2;
    base.physicalMemory = 16'000'000'000;
    base.usedMemory = 8'000'000'000;
    base.appMemory = 4'000'000'000;
    base.uptime = 3600;
    struct Case {
        const char* what;
        void (*change)(SystemStats&);
        bool same;
    };
    const Case cases[] = {
        {"nothing", [](SystemStats&) {}, true},
        {"CPU by under a thousandth", [](SystemStats& s) { s.cpuUsage = 0.2005; }, true},
        {"the CPU arc within the same whole percent", [](SystemStats& s) { s.cpuUsage = 0.209; }, false},
        {"CPU to the next percent", [](SystemStats& s) { s.cpuUsage = 0.21; }, false},
        {"a few bytes of application memory", [](SystemStats& s) { s.appMemory += 4096; }, true},
        {"application memory by a hundredth", [](SystemStats& s) { s.appMemory += 160'000'000; }, false},
        {"swap comes into use", [](SystemStats& s) { s.swapUsed = 1; }, false},
        {"a minute of uptime", [](SystemStats& s) { s.uptime += 60; }, false},
        {"a battery", [](SystemStats& s) { s.battery = SystemStats::Battery{}; }, false},
    };
    const LiveStatsContent shown = liveStatsContent(base);
    for (const Case& c : cases) {
        SystemStats next = base;
        c.change(next);
        EXPECT_EQ(looksTheSame(shown, liveStatsContent(next)), c.same) << c.what;
    }
}

}  // namespace
}  // namespace korvane
