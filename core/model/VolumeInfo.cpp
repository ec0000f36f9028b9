#include "core/model/VolumeInfo.h"

#include <limits>
#include <sys/statvfs.h>

#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

std::int64_t product(unsigned long long blocks, unsigned long long blockSize) {
    constexpr auto limit = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
    if (blockSize != 0 && blocks > limit / blockSize) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(blocks * blockSize);
}

}  // namespace

VolumeInfo VolumeInfo::volumeOf(const std::string& path) {
    struct statvfs info {};
    if (!Paths::isValid(path) || ::statvfs(path.c_str(), &info) != 0) return {};
    return {product(info.f_blocks, info.f_frsize), product(info.f_bavail, info.f_frsize)};
}

void to_json(nlohmann::json& j, const VolumeInfo& value) {
    j = nlohmann::json{{"totalCapacity", value.totalCapacity}, {"availableCapacity", value.availableCapacity}};
}

void from_json(const nlohmann::json& j, VolumeInfo& value) {
    value.totalCapacity = json::toInt64(json::required(j, "totalCapacity"));
    value.availableCapacity = json::toInt64(json::required(j, "availableCapacity"));
}

}  // namespace korvane
