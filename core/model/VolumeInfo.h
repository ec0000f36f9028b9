#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace korvane {

// Total and available capacity of one volume, in bytes.
struct VolumeInfo {
    std::int64_t totalCapacity = 0;
    std::int64_t availableCapacity = 0;

    VolumeInfo() = default;
    VolumeInfo(std::int64_t totalCapacity, std::int64_t availableCapacity)
        : totalCapacity(totalCapacity), availableCapacity(availableCapacity) {}

    // The volume holding `path` (statvfs: f_blocks and f_bavail times
    // f_frsize). Both 0 when it cannot be read; never fails.
    static VolumeInfo volumeOf(const std::string& path);

    friend bool operator==(const VolumeInfo&, const VolumeInfo&) = default;
};

void to_json(nlohmann::json& j, const VolumeInfo& value);
void from_json(const nlohmann::json& j, VolumeInfo& value);

}  // namespace korvane
