#include "core/model/VolumeInfo.h"

#include <algorithm>
#include <cmath>
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

std::int64_t usedWithoutReserve(std::int64_t total, std::int64_t available) {
    // A negative available capacity (a stored figure) must not overflow the subtraction.
    if (available <= 0) return std::max<std::int64_t>(total, 0);
    return std::max<std::int64_t>(total - available, 0);
}

}  // namespace

VolumeInfo::VolumeInfo(std::int64_t totalCapacity, std::int64_t availableCapacity)
    : totalCapacity(totalCapacity),
      availableCapacity(availableCapacity),
      usedCapacity(usedWithoutReserve(totalCapacity, availableCapacity)) {}

VolumeInfo VolumeInfo::volumeOf(const std::string& path) {
    struct statvfs info {};
    if (!Paths::isValid(path) || ::statvfs(path.c_str(), &info) != 0) return {};
    return of(info);
}

VolumeInfo VolumeInfo::of(const struct statvfs& info) {
    // A file system that reports more free blocks than it has uses none.
    const auto usedBlocks = info.f_blocks > info.f_bfree ? info.f_blocks - info.f_bfree : 0;
    return {product(info.f_blocks, info.f_frsize), product(info.f_bavail, info.f_frsize),
            product(usedBlocks, info.f_frsize)};
}

double VolumeInfo::usedFraction() const {
    const double used = static_cast<double>(std::max<std::int64_t>(usedCapacity, 0));
    const double fillable = used + static_cast<double>(std::max<std::int64_t>(availableCapacity, 0));
    if (fillable < 1) return 0;
    return std::clamp(used / fillable, 0.0, 1.0);
}

int VolumeInfo::usedPercent() const {
    const auto used = static_cast<std::uint64_t>(std::max<std::int64_t>(usedCapacity, 0));
    const auto fillable = used + static_cast<std::uint64_t>(std::max<std::int64_t>(availableCapacity, 0));
    if (fillable == 0) return 0;
    if (used <= std::numeric_limits<std::uint64_t>::max() / 100) {
        // In integers, exactly: 57 of 100 reads 57, 57.01 of 100 reads 58.
        const std::uint64_t hundredfold = used * 100;
        return static_cast<int>(hundredfold / fillable + (hundredfold % fillable != 0 ? 1 : 0));
    }
    return static_cast<int>(std::ceil(static_cast<long double>(used) * 100 / static_cast<long double>(fillable)));
}

void to_json(nlohmann::json& j, const VolumeInfo& value) {
    j = nlohmann::json{{"totalCapacity", value.totalCapacity},
                       {"availableCapacity", value.availableCapacity},
                       {"usedCapacity", value.usedCapacity}};
}

void from_json(const nlohmann::json& j, VolumeInfo& value) {
    value.totalCapacity = json::toInt64(json::required(j, "totalCapacity"));
    value.availableCapacity = json::toInt64(json::required(j, "availableCapacity"));
    const auto used = j.find("usedCapacity");
    value.usedCapacity = used == j.end() ? usedWithoutReserve(value.totalCapacity, value.availableCapacity)
                                         : json::toInt64(*used);
}

}  // namespace korvane
