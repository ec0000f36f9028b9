#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json_fwd.hpp>

struct statvfs;

namespace korvane {

// The capacity of one volume, in bytes, counted as `df` counts it: the total
// is every block of the file system; used is the blocks not free; available
// is what an ordinary user can still write. The root reserve counts as
// neither used nor available, so used and available need not add up to the
// total.
struct VolumeInfo {
    std::int64_t totalCapacity = 0;
    std::int64_t availableCapacity = 0;
    std::int64_t usedCapacity = 0;

    VolumeInfo() = default;
    // A volume without a reserve: used is the total less the available.
    VolumeInfo(std::int64_t totalCapacity, std::int64_t availableCapacity);
    VolumeInfo(std::int64_t totalCapacity, std::int64_t availableCapacity, std::int64_t usedCapacity)
        : totalCapacity(totalCapacity), availableCapacity(availableCapacity), usedCapacity(usedCapacity) {}

    // The volume holding `path`. All 0 when it cannot be read; never fails.
    static VolumeInfo volumeOf(const std::string& path);
    // The figures of one statvfs answer: total f_blocks, used
    // f_blocks − f_bfree and available f_bavail, each times f_frsize.
    static VolumeInfo of(const struct statvfs& info);

    // Used of what the user could fill (used + available), within 0...1;
    // 0 when there is nothing to fill.
    double usedFraction() const;
    // That share in whole percent, rounded up as `df` rounds it: a single
    // byte used reads 1 %, and 100 % only when nothing is available.
    int usedPercent() const;

    friend bool operator==(const VolumeInfo&, const VolumeInfo&) = default;
};

void to_json(nlohmann::json& j, const VolumeInfo& value);
// "usedCapacity" is optional: figures stored before it was kept read as a
// volume without a reserve.
void from_json(const nlohmann::json& j, VolumeInfo& value);

}  // namespace korvane
