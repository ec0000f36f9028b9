#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/presenters/DiskGaugeContent.h"
#include "app/presenters/GaugeTint.h"
#include "app/state/FolderScanState.h"
#include "app/state/ViewChoices.h"
#include "core/explorer/SystemStats.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// One row of the general sidebar's page list.
struct SidebarPageRow {
    GeneralSection section = GeneralSection::explore;
    std::string title;
    std::string symbol;
    std::optional<std::string> count;  // only large files and applications, only when some
    bool isSelected = false;

    friend bool operator==(const SidebarPageRow&, const SidebarPageRow&) = default;
};

// A title with its figure ("Total", "12.3 GB").
struct SidebarValueRow {
    std::string title;
    std::string value;

    friend bool operator==(const SidebarValueRow&, const SidebarValueRow&) = default;
};

// A live reading with its bar.
struct SidebarMeterRow {
    std::string title;
    std::string value;
    double barFraction = 0.01;  // what the bar fills: within 0.01...1
    GaugeTint tint = GaugeTint::accent;

    friend bool operator==(const SidebarMeterRow&, const SidebarMeterRow&) = default;
};

// Everything the general sidebar shows, top to bottom.
struct GeneralSidebarContent {
    // The scan block.
    std::string primaryTitle;  // "Scan Home folder" or "Scanning…"
    bool primaryEnabled = true;
    bool folderEnabled = true;
    bool secondaryStops = false;  // "Stop" while scanning, else "Rescan"
    std::string secondaryTitle;
    std::string secondarySymbol;
    // Only while scanning: "<n> files · <size>" and the folder being read.
    std::optional<std::string> progressCounts;
    std::optional<std::string> progressPath;

    std::vector<SidebarPageRow> pages;

    // "This scan", only with a folder-scan result.
    struct ThisScan {
        std::string duration;  // "3.4s"
        std::string path;      // the scanned folder, "~" for the home folder
        SidebarValueRow total;
        SidebarValueRow files;
        SidebarValueRow folders;

        friend bool operator==(const ThisScan&, const ThisScan&) = default;
    };
    std::optional<ThisScan> thisScan;

    std::vector<SidebarMeterRow> live;  // CPU, Memory, and Battery when there is one

    // "Disk storage".
    DiskGaugeContent gauge;
    SidebarValueRow diskTotal;
    SidebarValueRow diskUsed;
    SidebarValueRow diskFree;

    friend bool operator==(const GeneralSidebarContent&, const GeneralSidebarContent&) = default;
};

// `shownSection` is the page on show, `appCount` how many applications were found.
GeneralSidebarContent generalSidebarContent(const FolderScanState& folderScan, GeneralSection shownSection,
                                            std::size_t appCount, const SystemStats& stats,
                                            const VolumeInfo& volume);

// "5%" from 0.05; truncated, so 0.999 reads "99%".
std::string wholePercentText(double fraction);
// A path with the home folder written as "~" (only as its leading component).
std::string homeRelativePath(const std::string& path);

}  // namespace korvane
