#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/state/PlatformWords.h"
#include "core/model/Categories.h"
#include "core/model/ScanSettings.h"

namespace korvane {

// What the settings window's four tabs show: titles, rows, options and
// notes. The tabs are thin shells over these.

struct SettingsTab {
    std::string title;
    std::string symbol;
};
// Scanning, Cleanup, Automation, About.
const std::vector<SettingsTab>& settingsTabs();

// A choice of a picker: the label it shows and the value it stands for.
struct PickerOption {
    std::string label;
    std::int64_t value;
};
// The position of `value` among the options, or -1 when it is none of them
// (the picker then shows no choice and the stored value stays as it is).
int optionIndex(const std::vector<PickerOption>& options, std::int64_t value);

// --- Scanning ---
struct CategoryToggleRow {
    CleanupCategory category;
    std::string title;
    std::string symbol;
    bool isOn;
};
// One row per category in declaration order, whatever is enabled.
std::vector<CategoryToggleRow> categoryToggleRows(const ScanSettings& settings);
// The settings with the category switched on or off.
ScanSettings withCategory(ScanSettings settings, CleanupCategory category, bool on);

// A removable path: the stored path and what the row shows ("~" for the home folder).
struct PathRow {
    PathRow(std::string path, std::string shown, std::optional<std::string> hint = std::nullopt)
        : path(std::move(path)), shown(std::move(shown)), hint(std::move(hint)) {}

    std::string path;
    std::string shown;
    // Said beside the path when something about it needs telling ("Not found").
    std::optional<std::string> hint;

    friend bool operator==(const PathRow&, const PathRow&) = default;
};
// The folders a scan searches for projects: the default folders that exist,
// then the user's own in the order added; one that is not there says so.
std::vector<PathRow> projectRootRows(const ScanSettings& settings);
// 30 days, 60 days, 90 days, 6 months (180).
const std::vector<PickerOption>& staleOptions();

// --- Cleanup ---
struct RemovalOption {
    std::string label;
    std::optional<Disposal> value;
};
// Recommended for each item (no value), Always move to Trash, Always delete permanently.
const std::vector<RemovalOption>& removalOptions();
int removalIndex(std::optional<Disposal> disposalOverride);
// The five things never removed, in order.
const std::vector<std::string>& safeguards();

// --- Automation ---
// Values 1 (Sunday) to 7 (Saturday).
const std::vector<PickerOption>& weekdayOptions();
// 07:00 … 21:00, seven hours.
const std::vector<PickerOption>& hourOptions();
const std::vector<PickerOption>& reclaimableOptions();
const std::vector<PickerOption>& lowSpaceOptions();
// The never-touched paths in ascending byte order (upper case before lower);
// empty means the section is not shown.
std::vector<PathRow> neverTouchedRows(const ScanSettings& settings);

// Section titles and notes, as the tabs show them.
namespace settingsText {
inline constexpr const char* toolchains = "Toolchains";
inline constexpr const char* projects = "Where to look for projects";
inline constexpr const char* addFolder = "Add folder…";
inline constexpr const char* projectsNote = platformWords::projectsNote.data();
inline constexpr const char* missingFolderHint = "Not found: skipped until it is back";
inline constexpr const char* thresholds = "Thresholds";
inline constexpr const char* staleTitle = "Treat a project as stale after";
inline constexpr const char* staleNote =
    "Dependencies of a stale project are considered safe to remove rather than needing review.";
inline constexpr const char* removal = "How items are removed";
inline constexpr const char* removalTitle = "Removal";
inline constexpr const char* removalNote =
    "Recommended deletes things your tools rebuild automatically, and moves anything costlier to restore to the "
    "Trash so you can change your mind.";
inline constexpr const char* neverTouch = platformWords::developerNeverTouches.data();
inline constexpr const char* neverTouchNote = platformWords::generalRemovesOnlyChosen.data();
inline constexpr const char* scheduled = "Scheduled scan";
inline constexpr const char* scheduleToggle = "Scan on a schedule";
inline constexpr const char* every = "Every";
inline constexpr const char* at = "At";
inline constexpr const char* scheduleNote = "The scan only reads. Nothing is ever removed without you choosing it.";
inline constexpr const char* tellMe = "Tell me when";
inline constexpr const char* alertsToggle = "Send alerts";
inline constexpr const char* reclaimablePasses = "Reclaimable passes";
inline constexpr const char* freeSpaceBelow = "Free space drops below";
inline constexpr const char* alertsNote =
    "The second one is the one that saves an afternoon: a build failing on a full disk is exactly when this is "
    "worth having.";
inline constexpr const char* neverTouched = "Never touched";
inline constexpr const char* neverTouchedNote =
    "Korvane will never propose these again. Remove one to start including it.";
inline constexpr const char* pickFolderPrompt = "Add";
inline constexpr const char* pickFolderMessage = "Choose a folder Korvane should search for projects.";
// About.
inline constexpr const char* aboutTitle = "Korvane";
inline constexpr const char* aboutTagline = "Reclaim the space your development tools waste.";
inline constexpr const char* aboutPrivacy = platformWords::scanningStaysHere.data();
}  // namespace settingsText

}  // namespace korvane
