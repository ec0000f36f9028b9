#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/presenters/EmptyStateText.h"
#include "core/explorer/AppUninstaller.h"
#include "core/model/Categories.h"

namespace korvane {

using InstalledApp = AppUninstaller::InstalledApp;

// The applications whose name holds the filter text, in the given order. The
// filter is trimmed of spaces and tabs and compared without case; a blank
// filter keeps every application.
std::vector<InstalledApp> filteredApps(const std::vector<InstalledApp>& apps, const std::string& filter);

// One row of the applications list.
struct AppRowContent {
    std::string name;
    std::string total;                      // the application and what it left behind
    std::optional<std::string> leftBehind;  // "1.2 GB of it left behind", only with leftovers
    std::optional<std::string> age;         // "3mo", only after 91 days unused

    friend bool operator==(const AppRowContent&, const AppRowContent&) = default;
};

AppRowContent appRowContent(const InstalledApp& app, std::chrono::system_clock::time_point now);

// A labelled figure under the application's name.
struct AppFact {
    enum class Tint { ink, amber, accent };
    std::string label;
    std::string value;
    Tint tint = Tint::ink;

    friend bool operator==(const AppFact&, const AppFact&) = default;
};

struct LeftoverRowContent {
    std::string kind;
    std::string path;  // "~" for the home folder
    std::string bytes;
    bool hasDivider = true;  // every row but the last

    friend bool operator==(const LeftoverRowContent&, const LeftoverRowContent&) = default;
};

// The detail pane of one application.
struct AppDetailContent {
    std::string name;
    std::optional<std::string> version;  // "Version 1.2"
    std::optional<std::string> identifier;
    std::vector<AppFact> facts;
    std::string leftoversHeader;  // "3 items · 1.2 MB"; only read with leftovers
    std::vector<LeftoverRowContent> leftovers;
    std::string uninstallTitle;  // "Uninstall 1.5 GB"
    bool uninstallEnabled = false;
    // How the uninstall removes this application: to the Trash, or, for a
    // Flatpak, by its own uninstaller; deleted for good while the review is
    // set to delete everything.
    std::string note;

    friend bool operator==(const AppDetailContent&, const AppDetailContent&) = default;
};

AppDetailContent appDetailContent(const InstalledApp& app, bool includeBundle,
                                  std::chrono::system_clock::time_point now,
                                  std::optional<Disposal> disposalOverride = std::nullopt);

// The page around the list and the detail pane.
struct ApplicationsPageContent {
    bool showsLooking = false;             // scanning with nothing found yet
    std::optional<std::string> footer;     // the scan's progress, once a list shows
    bool refreshEnabled = true;
    std::vector<InstalledApp> rows;        // the filtered list
    std::optional<std::size_t> selectedRow;  // the row of the selected application, when listed
    std::optional<InstalledApp> detail;     // the selected application, else the first row
    std::optional<Disposal> disposalOverride;  // how the review removes, which the detail's note tells
    EmptyStateText noApplications;

    friend bool operator==(const ApplicationsPageContent&, const ApplicationsPageContent&) = default;
};

ApplicationsPageContent applicationsPageContent(const std::vector<InstalledApp>& apps, bool isScanning,
                                                const std::string& progress,
                                                const std::optional<InstalledApp>& selected,
                                                const std::string& filter,
                                                std::optional<Disposal> disposalOverride = std::nullopt);

// The list column's width on a page this wide: its full width while the
// detail pane beside it keeps the room it reads best in, narrower (its rows
// eliding their names) as the page narrows, never below what a row needs to
// be read nor below `rowsNeed`, what its rows need to show their figures whole.
inline constexpr double appListWidth = 320;
inline constexpr double appListMinimumWidth = 180;
inline constexpr double appDetailRoomWidth = 455;
double appListColumnWidth(double pageWidth, double rowsNeed = appListMinimumWidth);

// The page scans by itself only on a first showing with nothing found and no scan running.
bool applicationsPageShouldScan(const std::vector<InstalledApp>& apps, bool isScanning);

}  // namespace korvane
