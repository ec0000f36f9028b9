#include "app/presenters/SettingsContent.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/system/Paths.h"

namespace korvane {

namespace {

std::vector<PickerOption> gigabyteOptions(std::initializer_list<std::int64_t> values) {
    std::vector<PickerOption> options;
    for (const auto value : values) options.push_back({std::to_string(value) + " GB", value});
    return options;
}

std::vector<PathRow> rows(const std::vector<std::string>& paths) {
    std::vector<PathRow> result;
    result.reserve(paths.size());
    for (const auto& path : paths) result.push_back({path, Paths::abbreviatingHome(path)});
    return result;
}

}  // namespace

const std::vector<SettingsTab>& settingsTabs() {
    static const std::vector<SettingsTab> tabs{
        {"Scanning", "magnifyingglass"},
        {"Cleanup", "trash"},
        {"Automation", "clock.arrow.circlepath"},
        {"About", "info.circle"},
    };
    return tabs;
}

int optionIndex(const std::vector<PickerOption>& options, std::int64_t value) {
    const auto found =
        std::find_if(options.begin(), options.end(), [value](const PickerOption& o) { return o.value == value; });
    return found == options.end() ? -1 : static_cast<int>(found - options.begin());
}

std::vector<CategoryToggleRow> categoryToggleRows(const ScanSettings& settings) {
    std::vector<CategoryToggleRow> result;
    for (const auto category : allCleanupCategories())
        result.push_back({category, std::string(title(category)), std::string(symbolName(category)),
                          settings.enabledCategories.contains(category)});
    return result;
}

ScanSettings withCategory(ScanSettings settings, CleanupCategory category, bool on) {
    if (on)
        settings.enabledCategories.insert(category);
    else
        settings.enabledCategories.erase(category);
    return settings;
}

std::vector<PathRow> projectRootRows(const ScanSettings& settings) {
    std::vector<PathRow> result = rows(settings.listedProjectRoots());
    for (auto& row : result) {
        struct stat info {};
        // A link counts as there even when its target is gone, as for the default folders.
        if (::lstat(row.path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
            row.hint = settingsText::missingFolderHint;
    }
    return result;
}

const std::vector<PickerOption>& staleOptions() {
    static const std::vector<PickerOption> options{
        {"30 days", 30}, {"60 days", 60}, {"90 days", 90}, {"6 months", 180}};
    return options;
}

const std::vector<RemovalOption>& removalOptions() {
    static const std::vector<RemovalOption> options{
        {"Recommended for each item", std::nullopt},
        {"Always move to Trash", Disposal::trash},
        {"Always delete permanently", Disposal::delete_},
    };
    return options;
}

int removalIndex(std::optional<Disposal> disposalOverride) {
    const auto& options = removalOptions();
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i].value == disposalOverride) return static_cast<int>(i);
    return -1;
}

const std::vector<std::string>& safeguards() {
    static const std::vector<std::string> lines{
        "Source code and git repositories",     "SSH keys, credentials and .env files",
        "Documents, Desktop and Downloads",     std::string(platformWords::outsideHomeAndTemporary),
        "Running containers and their volumes",
    };
    return lines;
}

const std::vector<PickerOption>& weekdayOptions() {
    static const std::vector<PickerOption> options{
        {"Sunday", 1},   {"Monday", 2}, {"Tuesday", 3},  {"Wednesday", 4},
        {"Thursday", 5}, {"Friday", 6}, {"Saturday", 7},
    };
    return options;
}

const std::vector<PickerOption>& hourOptions() {
    static const std::vector<PickerOption> options = [] {
        std::vector<PickerOption> result;
        for (const int hour : {7, 9, 10, 12, 14, 18, 21}) {
            char text[8];
            std::snprintf(text, sizeof text, "%02d:00", hour);
            result.push_back({text, hour});
        }
        return result;
    }();
    return options;
}

const std::vector<PickerOption>& reclaimableOptions() {
    static const std::vector<PickerOption> options = gigabyteOptions({5, 10, 20, 50});
    return options;
}

const std::vector<PickerOption>& lowSpaceOptions() {
    static const std::vector<PickerOption> options = gigabyteOptions({5, 10, 20, 40});
    return options;
}

std::vector<PathRow> neverTouchedRows(const ScanSettings& settings) {
    // A std::set of std::string is already in ascending byte order.
    return rows({settings.excludedPaths.begin(), settings.excludedPaths.end()});
}

}  // namespace korvane
