#include "app/presenters/LiveStatsContent.h"

#include <algorithm>
#include <cmath>

#include "app/state/PlatformWords.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

std::string wholePercent(double fraction) { return std::to_string(static_cast<long long>(fraction * 100)); }

constexpr double unseenMove = 0.001;

MeterContent meter(std::string title, double value, std::string caption, std::string detail,
                   std::optional<std::string> number = std::nullopt) {
    return {std::move(title),   value,
            std::max(std::min(value, 1.0), 0.001), number.value_or(meterNumber(value)),
            std::move(caption), std::move(detail),
            meterTint(value)};
}

}  // namespace

std::string meterNumber(double value) { return wholePercent(value) + "%"; }

bool looksTheSame(const LiveStatsContent& shown, const LiveStatsContent& next) {
    if (shown.meters.size() != next.meters.size() || shown.memory.size() != next.memory.size() ||
        shown.swapWarning != next.swapWarning || shown.uptime != next.uptime)
        return false;
    for (std::size_t i = 0; i < shown.meters.size(); ++i) {
        const MeterContent& a = shown.meters[i];
        const MeterContent& b = next.meters[i];
        if (a.title != b.title || a.number != b.number || a.caption != b.caption || a.detail != b.detail ||
            a.tint != b.tint || std::abs(a.arcEnd - b.arcEnd) >= unseenMove)
            return false;
    }
    for (std::size_t i = 0; i < shown.memory.size(); ++i) {
        const MemoryKindContent& a = shown.memory[i];
        const MemoryKindContent& b = next.memory[i];
        if (a.label != b.label || a.bytes != b.bytes || a.colorOf != b.colorOf ||
            std::abs(a.fraction - b.fraction) >= unseenMove)
            return false;
    }
    return true;
}

std::string uptimeText(double seconds) {
    const auto s = static_cast<long long>(seconds);
    if (s < 86400) return std::to_string(s / 3600) + "h " + std::to_string((s % 3600) / 60) + "m";
    return std::to_string(s / 86400) + "d " + std::to_string((s % 86400) / 3600) + "h";
}

LiveStatsContent liveStatsContent(const SystemStats& stats) {
    LiveStatsContent content;
    content.meters.push_back(meter("CPU", stats.cpuUsage, wholePercent(stats.cpuUsage) + "% in use",
                                   "User " + wholePercent(stats.userUsage) + "%  \u00b7  System " +
                                       wholePercent(stats.systemUsage) + "%"));
    // The detail names the parts of the used figure with the legend's words.
    std::string usedParts =
        std::string(platformWords::programMemory) + " " + ByteFormat::string(stats.appMemory) + "  \u00b7  " +
        std::string(platformWords::kernelMemory) + " " + ByteFormat::string(stats.wiredMemory);
    if (stats.zswapInUse)
        usedParts += "  \u00b7  " + std::string(platformWords::compressedMemory) + " " +
                     ByteFormat::string(stats.compressedMemory);
    content.meters.push_back(
        meter("MEMORY", stats.memoryFraction(),
              ByteFormat::string(stats.usedMemory) + " of " + ByteFormat::string(stats.physicalMemory),
              std::move(usedParts)));
    if (stats.battery) {
        const auto& battery = *stats.battery;
        std::string detail = "On power";
        if (battery.minutesRemaining) {
            const int minutes = *battery.minutesRemaining;
            detail = "About " + std::to_string(minutes / 60) + "h " + std::to_string(minutes % 60) + "m left";
        } else if (battery.health) {
            detail = "Health: " + *battery.health;
        }
        content.meters.push_back(meter("BATTERY", battery.percentage / 100.0,
                                       std::to_string(battery.percentage) + "%" +
                                           (battery.isCharging ? " \u00b7 charging" : ""),
                                       std::move(detail),
                                       // The battery's own whole percent: 57 / 100 times 100 truncates to 56.
                                       std::to_string(battery.percentage) + "%"));
    }

    const double physical = static_cast<double>(std::max<std::int64_t>(stats.physicalMemory, 1));
    const auto kind = [&](std::string_view label, std::int64_t bytes, CleanupCategory colorOf) {
        content.memory.push_back(
            {std::string(label), ByteFormat::string(bytes), static_cast<double>(bytes) / physical, colorOf});
    };
    kind(platformWords::programMemory, stats.appMemory, CleanupCategory::node);
    kind(platformWords::kernelMemory, stats.wiredMemory, CleanupCategory::docker);
    if (stats.zswapInUse)
        kind(platformWords::compressedMemory, stats.compressedMemory, CleanupCategory::gradle);
    kind("Cached", stats.cachedMemory, CleanupCategory::android);

    if (stats.swapUsed >= 1)
        content.swapWarning = platformWords::swapWarning(ByteFormat::string(stats.swapUsed));
    content.uptime = uptimeText(stats.uptime);
    return content;
}

}  // namespace korvane
