#include "app/presenters/GeneralSidebarContent.h"

#include <algorithm>
#include <cstdio>

#include "app/presenters/CountText.h"
#include "app/presenters/OneLineText.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

SidebarMeterRow meterRow(std::string title, std::string value, double fraction) {
    return {std::move(title), std::move(value), std::clamp(fraction, 0.01, 1.0), meterTint(fraction)};
}

}  // namespace

std::string wholePercentText(double fraction) {
    return std::to_string(static_cast<long long>(fraction * 100)) + "%";
}

std::string homeRelativePath(const std::string& path) { return Paths::abbreviatingHome(path); }

GeneralSidebarContent generalSidebarContent(const FolderScanState& folderScan, GeneralSection shownSection,
                                            std::size_t appCount, const SystemStats& stats,
                                            const VolumeInfo& volume) {
    GeneralSidebarContent content;
    const bool scanning = folderScan.isScanningFolder();
    content.primaryTitle = scanning ? "Scanning\u2026" : "Scan Home folder";
    content.primaryEnabled = !scanning;
    content.folderEnabled = !scanning;
    content.secondaryStops = scanning;
    content.secondaryTitle = scanning ? "Stop" : "Rescan";
    content.secondarySymbol = scanning ? "stop.fill" : "arrow.clockwise";
    if (scanning) {
        const FileTreeScanner::Progress& progress = folderScan.generalProgress();
        content.progressCounts =
            countText(progress.scanned, "file") + " \u00b7 " + ByteFormat::string(progress.bytes);
        // A line break in a name is shown, not followed.
        content.progressPath = oneLineText(homeRelativePath(progress.current));
    }

    const std::size_t largeFiles =
        folderScan.generalResult() ? folderScan.generalResult()->largest.size() : 0;
    for (const GeneralSection section : allGeneralSections()) {
        SidebarPageRow row{section, std::string(title(section)), std::string(symbolName(section)),
                           std::nullopt, section == shownSection};
        if (section == GeneralSection::largeFiles && largeFiles > 0) row.count = std::to_string(largeFiles);
        if (section == GeneralSection::apps && appCount > 0) row.count = std::to_string(appCount);
        content.pages.push_back(std::move(row));
    }

    if (const auto& result = folderScan.generalResult()) {
        char duration[32];
        std::snprintf(duration, sizeof duration, "%.1fs", result->duration);
        content.thisScan = GeneralSidebarContent::ThisScan{
            duration,
            oneLineText(homeRelativePath(folderScan.scanRoot())),
            {"Total", ByteFormat::string(result->root.bytes)},
            {"Files", ByteFormat::groupedInteger(result->fileCount)},
            {"Folders", ByteFormat::groupedInteger(result->folderCount)},
        };
    }

    content.live.push_back(meterRow("CPU", wholePercentText(stats.cpuUsage), stats.cpuUsage));
    content.live.push_back(meterRow("Memory", ByteFormat::string(stats.usedMemory), stats.memoryFraction()));
    if (stats.battery) {
        const auto& battery = *stats.battery;
        content.live.push_back(meterRow("Battery",
                                        std::to_string(battery.percentage) + "%" +
                                            (battery.isCharging ? " \u26a1" : ""),
                                        battery.percentage / 100.0));
    }

    content.gauge = diskGaugeContent(volume);
    content.diskTotal = {"Total", ByteFormat::string(volume.totalCapacity)};
    content.diskUsed = {"Used", ByteFormat::string(volume.usedCapacity)};
    content.diskFree = {"Free", ByteFormat::string(volume.availableCapacity)};
    return content;
}

}  // namespace korvane
