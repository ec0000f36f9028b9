#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "core/explorer/SystemStatsReader.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::TempTree;

constexpr std::int64_t KiB = 1024;

// A machine made of fixture files, with a fixed uptime.
struct FakeMachine {
    TempTree tree;

    SystemStatsReader reader() {
        return SystemStatsReader(tree.root(), [] { return std::optional<double>(4321.5); });
    }

    void stat(const std::string& cpuLine) {
        tree.text("proc/stat", cpuLine + "\ncpu0 1 2 3 4 5 6 7 8 9 10\nintr 12345\nbtime 1700000000\n");
    }
    void meminfo(const std::string& text) { tree.text("proc/meminfo", text); }
    void supply(const std::string& name, const std::map<std::string, std::string>& attributes) {
        for (const auto& [key, value] : attributes)
            tree.text("sys/class/power_supply/" + name + "/" + key, value + "\n");
    }
};

const char* kMemInfo =
    "MemTotal:       16000000 kB\n"
    "MemFree:         4000000 kB\n"
    "MemAvailable:    9000000 kB\n"
    "Buffers:           10000 kB\n"
    "Cached:          3100000 kB\n"
    "Active:          6000000 kB\n"
    "Inactive:        4000000 kB\n"
    "Active(anon):    4500000 kB\n"
    "Inactive(anon):  2500000 kB\n"
    "Active(file):    1500000 kB\n"
    "Inactive(file):  1500000 kB\n"
    "Unevictable:       20000 kB\n"
    "SwapTotal:       8000000 kB\n"
    "SwapFree:        7000000 kB\n"
    "Zswap:            250000 kB\n"
    "SReclaimable:    1500000 kB\n"
    "SUnreclaim:       300000 kB\n"
    "KernelStack:       30000 kB\n"
    "PageTables:        50000 kB\n"
    "HugePages_Total:       0\n";

// ---- processor ----------------------------------------------------------

TEST(SystemStatsReaderTest, FirstSampleHasNoLoadAndSecondReportsTheDifference) {
    FakeMachine machine;
    auto reader = machine.reader();
    machine.stat("cpu  1000 100 500 8000 200 30 20 50 40 0");
    SystemStats first = reader.read();
    EXPECT_EQ(first.cpuUsage, 0.0);
    EXPECT_EQ(first.userUsage, 0.0);
    EXPECT_EQ(first.systemUsage, 0.0);

    // +300 user, +100 nice, +100 system, +50 irq, +50 softirq, +350 idle,
    // +50 iowait, +1000 steal (left out): 1000 ticks of own time.
    machine.stat("cpu  1300 200 600 8350 250 80 70 1050 40 0");
    SystemStats second = reader.read();
    EXPECT_DOUBLE_EQ(second.userUsage, 0.4);
    EXPECT_DOUBLE_EQ(second.systemUsage, 0.2);
    EXPECT_DOUBLE_EQ(second.cpuUsage, 0.6);
}

TEST(SystemStatsReaderTest, OldKernelsWithFourCountersStillGiveALoad) {
    FakeMachine machine;
    auto reader = machine.reader();
    machine.stat("cpu 10 0 10 80");
    reader.read();
    machine.stat("cpu 60 0 10 80");
    EXPECT_DOUBLE_EQ(reader.read().cpuUsage, 1.0);
}

TEST(SystemStatsReaderTest, NoTickElapsedMeansNoLoad) {
    FakeMachine machine;
    auto reader = machine.reader();
    machine.stat("cpu  1000 100 500 8000 200 30 20 0 0 0");
    reader.read();
    SystemStats again = reader.read();
    EXPECT_EQ(again.cpuUsage, 0.0);
    EXPECT_EQ(again.userUsage, 0.0);
    EXPECT_EQ(again.systemUsage, 0.0);
}

TEST(SystemStatsReaderTest, CountersThatGoBackwardsAreAResetNotAHugeLoad) {
    FakeMachine machine;
    auto reader = machine.reader();
    // Close to the top of the 64-bit range, then back near zero.
    machine.stat("cpu  18446744073709551000 0 18446744073709551000 18446744073709551000 0 0 0 0 0 0");
    reader.read();
    machine.stat("cpu  100 0 100 800 0 0 0 0 0 0");
    SystemStats afterReset = reader.read();
    EXPECT_EQ(afterReset.cpuUsage, 0.0);
    EXPECT_EQ(afterReset.userUsage, 0.0);
    EXPECT_EQ(afterReset.systemUsage, 0.0);

    // Only one counter going back is enough.
    machine.stat("cpu  200 0 150 850 0 0 0 0 0 0");
    SystemStats normal = reader.read();
    EXPECT_DOUBLE_EQ(normal.userUsage, 0.5);
    EXPECT_DOUBLE_EQ(normal.systemUsage, 0.25);
    machine.stat("cpu  300 0 250 849 0 0 0 0 0 0");
    EXPECT_EQ(reader.read().cpuUsage, 0.0);
    // The reset values became the reference for the next sample.
    machine.stat("cpu  400 0 250 949 0 0 0 0 0 0");
    EXPECT_DOUBLE_EQ(reader.read().cpuUsage, 0.5);
}

TEST(SystemStatsReaderTest, AnUnreadableSampleKeepsThePreviousCounters) {
    FakeMachine machine;
    auto reader = machine.reader();
    machine.stat("cpu  100 0 100 800 0 0 0 0 0 0");
    reader.read();

    machine.tree.text("proc/stat", "");
    EXPECT_EQ(reader.read().cpuUsage, 0.0);
    machine.tree.text("proc/stat", "cpu  100 0 banana 800\n");
    EXPECT_EQ(reader.read().cpuUsage, 0.0);
    machine.tree.text("proc/stat", "cpu0 1 2 3 4\ncpu  1 2 3 4\n");
    EXPECT_EQ(reader.read().cpuUsage, 0.0);
    machine.tree.text("proc/stat", "cpu  100 0 100\n");
    EXPECT_EQ(reader.read().cpuUsage, 0.0);

    // Measured against the last good sample, not against a broken one.
    machine.stat("cpu  150 50 200 850 0 0 0 0 0 0");
    SystemStats stats = reader.read();
    EXPECT_DOUBLE_EQ(stats.userUsage, 0.4);
    EXPECT_DOUBLE_EQ(stats.systemUsage, 0.4);
    EXPECT_DOUBLE_EQ(stats.cpuUsage, 0.8);
}

TEST(SystemStatsReaderTest, ReadsFromManyThreadsStayInRange) {
    FakeMachine machine;
    machine.stat("cpu  100 0 100 800 0 0 0 0 0 0");
    machine.meminfo(kMemInfo);
    auto reader = machine.reader();
    std::vector<std::thread> threads;
    std::vector<double> loads(4 * 50, -1.0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) loads[static_cast<std::size_t>(t * 50 + i)] = reader.read().cpuUsage;
        });
    for (auto& thread : threads) thread.join();
    for (double load : loads) EXPECT_EQ(load, 0.0);
}

// ---- memory -------------------------------------------------------------

// Used is MemTotal − MemAvailable, as `free` reports it; programs, kernel
// and the zswap pool add up to it, and cached is what the kernel can give
// back (available but not free): used, cached and free make the whole.
TEST(SystemStatsReaderTest, MemoryIsUsedAsFreeCountsItInPartsThatAddUp) {
    FakeMachine machine;
    machine.meminfo(kMemInfo);
    SystemStats stats = machine.reader().read();
    EXPECT_EQ(stats.physicalMemory, 16000000 * KiB);
    EXPECT_EQ(stats.usedMemory, 7000000 * KiB);
    EXPECT_EQ(stats.wiredMemory, (20000 + 300000 + 30000 + 50000) * KiB);
    EXPECT_EQ(stats.compressedMemory, 250000 * KiB);
    EXPECT_EQ(stats.appMemory, (7000000 - 400000 - 250000) * KiB);
    EXPECT_EQ(stats.cachedMemory, 5000000 * KiB);
    EXPECT_EQ(stats.swapUsed, 1000000 * KiB);
    EXPECT_DOUBLE_EQ(stats.memoryFraction(), 7000000.0 / 16000000.0);
    EXPECT_EQ(stats.uptime, 4321.5);
}

TEST(SystemStatsReaderTest, PartsOfUsedMemoryNeverExceedIt) {
    struct Case {
        const char* what;
        const char* meminfo;
        std::int64_t used, programs, kernel, compressed, cached;  // KiB
    };
    const Case cases[] = {
        {"a kernel without MemAvailable: free, buffers, cache and reclaimable slab stand in",
         "MemTotal: 1000 kB\nMemFree: 200 kB\nBuffers: 50 kB\nCached: 300 kB\nSReclaimable: 50 kB\n"
         "Unevictable: 10 kB\n",
         400, 390, 10, 0, 400},
        {"kernel and pool counted above the used figure",
         "MemTotal: 1000 kB\nMemFree: 900 kB\nMemAvailable: 950 kB\nSUnreclaim: 30 kB\nKernelStack: 10 kB\n"
         "Zswap: 40 kB\n",
         50, 0, 40, 10, 50},
        {"more available than there is", "MemTotal: 1000 kB\nMemFree: 1200 kB\nMemAvailable: 1500 kB\n", 0, 0, 0,
         0, 0},
        {"no free line: everything available is cached", "MemTotal: 1000 kB\nMemAvailable: 300 kB\n", 700, 700,
         0, 0, 300},
        {"lines without a number count as zero",
         "MemTotal: 1000 kB\nMemAvailable: 600 kB\nMemFree: 100 kB\ngarbage line without colon\n"
         "PageTables: twelve kB\n",
         400, 400, 0, 0, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        machine.meminfo(c.meminfo);
        const SystemStats stats = machine.reader().read();
        EXPECT_EQ(stats.usedMemory, c.used * KiB);
        EXPECT_EQ(stats.appMemory, c.programs * KiB);
        EXPECT_EQ(stats.wiredMemory, c.kernel * KiB);
        EXPECT_EQ(stats.compressedMemory, c.compressed * KiB);
        EXPECT_EQ(stats.cachedMemory, c.cached * KiB);
        EXPECT_EQ(stats.swapUsed, 0);
    }
}

// Compressed memory is only a kind of its own while zswap is switched on or
// still holds pages.
TEST(SystemStatsReaderTest, ZswapIsInUseWhenSwitchedOnOrHoldingPages) {
    struct Case {
        const char* what;
        const char* zswapLine;  // in meminfo
        const char* enabled;    // sys/module/zswap/parameters/enabled, nullptr without the module
        bool inUse;
    };
    const Case cases[] = {
        {"no module", "", nullptr, false},
        {"module switched off, empty pool", "Zswap: 0 kB\n", "N", false},
        {"switched on, nothing compressed yet", "Zswap: 0 kB\n", "Y", true},
        {"switched off, pages still in the pool", "Zswap: 400 kB\n", "N", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        machine.meminfo(std::string("MemTotal: 1000 kB\nActive: 300 kB\nInactive: 200 kB\n") + c.zswapLine);
        if (c.enabled)
            machine.tree.text("sys/module/zswap/parameters/enabled", std::string(c.enabled) + "\n");
        EXPECT_EQ(machine.reader().read().zswapInUse, c.inUse);
    }
}

TEST(SystemStatsReaderTest, AbsurdFiguresSaturateInsteadOfOverflowing) {
    FakeMachine machine;
    machine.meminfo(
        "MemTotal: 18446744073709551615 kB\nUnevictable: 9000000000000000000 kB\nSUnreclaim: "
        "9000000000000000000 kB\n"
        "Zswap: 9000000000000000000 kB\nSwapTotal: 10 kB\nSwapFree: 20 kB\n");
    SystemStats stats = machine.reader().read();
    EXPECT_EQ(stats.physicalMemory, INT64_MAX);
    EXPECT_EQ(stats.wiredMemory, INT64_MAX);
    EXPECT_EQ(stats.usedMemory, INT64_MAX);
    EXPECT_EQ(stats.swapUsed, 0);
    EXPECT_DOUBLE_EQ(stats.memoryFraction(), 1.0);
}

TEST(SystemStatsReaderTest, AnEmptyRootGivesClearDefaults) {
    TempTree empty;
    SystemStatsReader reader(empty.root(), [] { return std::optional<double>(); });
    SystemStats stats = reader.read();
    EXPECT_EQ(stats, SystemStats());
    EXPECT_EQ(stats.memoryFraction(), 0.0);
    EXPECT_EQ(reader.read(), SystemStats());
}

TEST(SystemStatsReaderTest, MeminfoWithoutTotalIsUnreadableAndTakesSwapWithIt) {
    FakeMachine machine;
    machine.meminfo("Active: 300 kB\nInactive: 200 kB\nSwapTotal: 100 kB\nSwapFree: 0 kB\n");
    SystemStats stats = machine.reader().read();
    EXPECT_EQ(stats.physicalMemory, 0);
    EXPECT_EQ(stats.appMemory, 0);
    EXPECT_EQ(stats.swapUsed, 0);
}

// ---- battery ------------------------------------------------------------

TEST(SystemStatsReaderTest, ADesktopHasNoBattery) {
    FakeMachine machine;
    EXPECT_FALSE(machine.reader().read().battery);
    machine.supply("AC", {{"type", "Mains"}, {"online", "1"}});
    // A wireless mouse's battery is not the machine's.
    machine.supply("hidpp_battery_0",
                   {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "80"}, {"status", "Discharging"}});
    // A bay without its battery.
    machine.supply("BAT1", {{"type", "Battery"}, {"present", "0"}, {"capacity", "0"}});
    // A battery that tells us nothing about its charge.
    machine.supply("BAT2", {{"type", "Battery"}, {"status", "Full"}});
    EXPECT_FALSE(machine.reader().read().battery);
}

TEST(SystemStatsReaderTest, ADischargingBattery) {
    FakeMachine machine;
    machine.supply("AC", {{"type", "Mains"}, {"online", "0"}});
    machine.supply("BAT0", {{"type", "Battery"},
                            {"present", "1"},
                            {"status", "Discharging"},
                            {"capacity", "50"},
                            {"energy_now", "25000000"},
                            {"energy_full", "50000000"},
                            {"power_now", "10000000"},
                            {"health", "Good"}});
    auto battery = machine.reader().read().battery;
    ASSERT_TRUE(battery);
    EXPECT_EQ(battery->percentage, 50);
    EXPECT_FALSE(battery->isCharging);
    EXPECT_TRUE(battery->isPresent);
    EXPECT_EQ(battery->minutesRemaining, 150);
    EXPECT_EQ(battery->health, "Good");
}

TEST(SystemStatsReaderTest, BatteryTimeLeftComesFromTheDriverOrTheDrain) {
    FakeMachine machine;
    machine.supply(
        "BAT0",
        {{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "40"}, {"time_to_empty_now", "5430"}});
    EXPECT_EQ(machine.reader().read().battery->minutesRemaining, 90);

    // Charge and a negative current, as some drivers report it.
    machine.tree.text("sys/class/power_supply/BAT0/time_to_empty_now", "0\n");
    machine.supply("BAT0", {{"charge_now", "2000000"}, {"current_now", "-1000000"}});
    EXPECT_EQ(machine.reader().read().battery->minutesRemaining, 120);

    // No drain yet: still estimating.
    machine.supply("BAT0", {{"current_now", "0"}});
    EXPECT_FALSE(machine.reader().read().battery->minutesRemaining);

    // Less than a minute is no estimate either.
    machine.supply("BAT0", {{"time_to_empty_now", "59"}});
    EXPECT_FALSE(machine.reader().read().battery->minutesRemaining);

    // While charging there is no time left on battery.
    machine.supply("BAT0", {{"status", "Charging"}, {"time_to_empty_now", "5430"}});
    EXPECT_FALSE(machine.reader().read().battery->minutesRemaining);
}

TEST(SystemStatsReaderTest, ChargingFollowsTheStatusThenTheCharger) {
    FakeMachine machine;
    machine.supply("BAT0", {{"type", "Battery"}, {"capacity", "70"}, {"status", "Charging"}});
    machine.supply("ADP1", {{"type", "Mains"}, {"online", "1"}});
    EXPECT_TRUE(machine.reader().read().battery->isCharging);

    // Plugged in but full, or held at a charge threshold: not charging.
    machine.supply("BAT0", {{"status", "Full"}});
    EXPECT_FALSE(machine.reader().read().battery->isCharging);
    machine.supply("BAT0", {{"status", "Not charging"}});
    EXPECT_FALSE(machine.reader().read().battery->isCharging);

    // An unknown status goes by whether a charger is online.
    machine.supply("BAT0", {{"status", "Unknown"}});
    EXPECT_TRUE(machine.reader().read().battery->isCharging);
    machine.supply("ADP1", {{"online", "0"}});
    EXPECT_FALSE(machine.reader().read().battery->isCharging);
    machine.supply("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "1"}});
    EXPECT_TRUE(machine.reader().read().battery->isCharging);

    // No status and no charger at all.
    TempTree bare;
    bare.text("sys/class/power_supply/BAT0/type", "Battery\n");
    bare.text("sys/class/power_supply/BAT0/capacity", "70\n");
    auto battery = SystemStatsReader(bare.root()).read().battery;
    ASSERT_TRUE(battery);
    EXPECT_FALSE(battery->isCharging);
    EXPECT_FALSE(battery->minutesRemaining);
    EXPECT_FALSE(battery->health);
}

TEST(SystemStatsReaderTest, PercentageFromCountersRoundsHalfAwayFromZero) {
    FakeMachine machine;
    machine.supply(
        "BAT0", {{"type", "Battery"}, {"status", "Discharging"}, {"energy_now", "1"}, {"energy_full", "3"}});
    EXPECT_EQ(machine.reader().read().battery->percentage, 33);
    machine.supply("BAT0", {{"energy_now", "2"}});
    EXPECT_EQ(machine.reader().read().battery->percentage, 67);
    machine.supply("BAT0", {{"energy_now", "1"}, {"energy_full", "8"}});  // 12.5
    EXPECT_EQ(machine.reader().read().battery->percentage, 13);
    // A full-capacity of 0 is unusable; charge counters are the next choice.
    machine.supply("BAT0", {{"energy_full", "0"}, {"charge_now", "45"}, {"charge_full", "90"}});
    EXPECT_EQ(machine.reader().read().battery->percentage, 50);
    // The kernel's own figure wins, also above 100.
    machine.supply("BAT0", {{"capacity", "101"}});
    EXPECT_EQ(machine.reader().read().battery->percentage, 101);
}

TEST(SystemStatsReaderTest, TheFirstUsableBatteryByNameIsTaken) {
    FakeMachine machine;
    machine.supply("BAT1", {{"type", "Battery"}, {"capacity", "20"}});
    machine.supply("BAT0", {{"type", "Battery"}, {"capacity", "garbage"}});
    machine.supply("BAT2", {{"type", "Battery"}, {"capacity", "90"}, {"health", "Unknown"}});
    auto battery = machine.reader().read().battery;
    ASSERT_TRUE(battery);
    EXPECT_EQ(battery->percentage, 20);
    EXPECT_FALSE(battery->health);
}

// ---- the live machine ---------------------------------------------------

TEST(SystemStatsReaderTest, TheLiveMachineGivesPlausibleFigures) {
    SystemStatsReader reader;
    reader.read();
    SystemStats stats = reader.read();
    EXPECT_GT(stats.physicalMemory, 0);
    EXPECT_GT(stats.uptime, 0.0);
    EXPECT_GE(stats.cpuUsage, 0.0);
    EXPECT_LE(stats.cpuUsage, 1.0);
    EXPECT_GE(stats.memoryFraction(), 0.0);
    EXPECT_LE(stats.usedMemory + stats.cachedMemory, stats.physicalMemory);
    EXPECT_EQ(stats.appMemory + stats.wiredMemory + stats.compressedMemory, stats.usedMemory);
}

TEST(SystemStatsTest, MemoryFractionNeedsAPhysicalSize) {
    SystemStats stats;
    stats.usedMemory = 5;
    EXPECT_EQ(stats.memoryFraction(), 0.0);
    stats.physicalMemory = 20;
    EXPECT_DOUBLE_EQ(stats.memoryFraction(), 0.25);
}

}  // namespace
}  // namespace korvane
