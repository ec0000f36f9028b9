#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/state/ViewChoices.h"
#include "core/model/Categories.h"
#include "core/model/ScanResult.h"

namespace korvane {

// One of the largest categories of the last scan in the tray panel.
struct MenuBarRow {
    CleanupCategory category = CleanupCategory::xcode;
    std::string title;
    std::string bytes;

    friend bool operator==(const MenuBarRow&, const MenuBarRow&) = default;
};

// What the tray panel shows.
struct MenuBarContent {
    static constexpr std::size_t maximumRows = 4;

    std::int64_t reclaimableBytes = 0;
    // The category rows and the free space; only with a developer scan.
    bool showsScanSummary = false;
    std::vector<MenuBarRow> rows;
    std::string freeSpace;
    std::string scanButtonTitle;
    bool scanEnabled = true;

    friend bool operator==(const MenuBarContent&, const MenuBarContent&) = default;
};

// `scanRuns`: a developer scan runs, on show or behind the window.
MenuBarContent menuBarContent(const std::optional<ScanResult>& scan, std::int64_t reclaimableBytes,
                              Route route, bool scanRuns = false);

// The tray icon's tooltip: the product name while nothing is reclaimable,
// else the reclaimable total.
std::string menuBarTitle(std::int64_t reclaimableBytes);

// "Scan Now" (menu and tray) waits while a scan runs and while a cleanup
// removes things, exactly when starting a scan would be refused.
bool scanNowEnabled(Route route, bool scanRuns = false);

}  // namespace korvane
