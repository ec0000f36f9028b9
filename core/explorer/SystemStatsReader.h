#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/explorer/SystemStats.h"

namespace korvane {

// Takes one sample of processor load, memory, swap, battery and uptime per
// call to read(). Everything comes from the kernel's text files under one
// root folder ("/" on a live machine, a fixture tree in tests): proc/stat,
// proc/meminfo, sys/module/zswap and sys/class/power_supply. The only state
// kept between calls is the processor tick counters of the previous sample.
class SystemStatsReader {
public:
    // Cumulative processor time in clock ticks, summed over all processors.
    struct Ticks {
        std::uint64_t user = 0;    // user, guest time included
        std::uint64_t system = 0;  // kernel, interrupts and soft interrupts
        std::uint64_t idle = 0;    // idle and waiting for I/O
        std::uint64_t nice = 0;    // user time at lowered priority

        bool operator==(const Ticks&) const = default;
    };

    // Seconds since boot, or nothing when the clock cannot be read.
    using UptimeClock = std::function<std::optional<double>()>;

    // Reads the live machine; uptime from the boot clock.
    SystemStatsReader();
    // Reads the files under `root`; uptime from `uptime`, or from the boot
    // clock when none is given.
    explicit SystemStatsReader(std::string root, UptimeClock uptime = {});

    SystemStatsReader(const SystemStatsReader&) = delete;
    SystemStatsReader& operator=(const SystemStatsReader&) = delete;

    // Never fails: a figure whose source cannot be read stays 0 (or the
    // battery absent). Safe to call from any thread.
    SystemStats read();

    // CLOCK_BOOTTIME in seconds.
    static std::optional<double> bootClockUptime();

private:
    std::string root_;
    UptimeClock uptime_;
    std::mutex lock_;                     // guards previousTicks_ only
    std::optional<Ticks> previousTicks_;  // of the previous successful sample
};

}  // namespace korvane
