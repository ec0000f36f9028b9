#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvane {

// One sample of the machine's live figures. A default value (every number 0,
// no battery) stands for "not read yet" and for every figure that could not
// be read.
struct SystemStats {
    struct Battery {
        int percentage = 0;
        bool isCharging = false;
        bool isPresent = false;
        std::optional<int> minutesRemaining;
        std::optional<std::string> health;

        bool operator==(const Battery&) const = default;
    };

    double cpuUsage = 0.0;     // userUsage + systemUsage, at most 1
    double userUsage = 0.0;    // user and nice time since the previous sample, 0…1
    double systemUsage = 0.0;  // kernel time since the previous sample, 0…1
    std::int64_t physicalMemory = 0;
    // In use as `free` counts it (total less available), in three parts:
    // appMemory + wiredMemory + compressedMemory.
    std::int64_t usedMemory = 0;
    std::int64_t appMemory = 0;         // what programs hold
    std::int64_t wiredMemory = 0;       // what the kernel holds and cannot give back
    std::int64_t compressedMemory = 0;  // the zswap pool
    // Not in use: what the kernel can give back on demand (page cache,
    // reclaimable slab). Used, cached and free add up to the physical memory.
    std::int64_t cachedMemory = 0;
    std::int64_t swapUsed = 0;
    // The kernel compresses memory with zswap: it is switched on, or its
    // pool still holds pages from when it was.
    bool zswapInUse = false;
    std::optional<Battery> battery;
    double uptime = 0.0;  // seconds since boot, time asleep included

    // usedMemory / physicalMemory; 0 when the physical size is unknown.
    double memoryFraction() const;

    bool operator==(const SystemStats&) const = default;
};

}  // namespace korvane
