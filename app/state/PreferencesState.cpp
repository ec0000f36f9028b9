#include "app/state/PreferencesState.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "app/platform/Settings.h"
#include "core/text/Json.h"

namespace korvane {

PreferencesState::PreferencesState(StateChanges& changes, Settings& defaults, QObject* parent)
    : PublishedState(changes, parent), defaults_(defaults) {
    loadSettings();
    if (const auto stored = defaults_.value(modeKey))
        if (const auto mode = modeFromRawValue(*stored)) setMode(*mode);
    if (const auto stored = defaults_.value(themeKey))
        if (const auto theme = themeIDFromRawValue(*stored)) setThemeID(*theme);
}

void PreferencesState::setThemeID(ThemeID theme) {
    publish(themeID_, theme);
    defaults_.setValue(themeKey, std::string(rawValue(theme)));
    emit themeChanged();
}

void PreferencesState::setMode(Mode mode) {
    publish(mode_, mode);
    defaults_.setValue(modeKey, std::string(rawValue(mode)));
    emit modeChanged();
}

void PreferencesState::setSettings(ScanSettings settings) {
    publish(settings_, std::move(settings));
    emit settingsChanged();
}

void PreferencesState::setDisposalOverride(std::optional<Disposal> disposal) {
    publish(disposalOverride_, disposal);
    emit settingsChanged();
}

void PreferencesState::loadSettings() {
    if (const auto stored = defaults_.value(scanSettingsKey))
        if (auto decoded = decodeJsonText<ScanSettings>(*stored)) setSettings(std::move(*decoded));
    if (const auto stored = defaults_.value(disposalKey)) setDisposalOverride(disposalFromRawValue(*stored));
}

void PreferencesState::saveSettings() {
    defaults_.setValue(scanSettingsKey, nlohmann::json(settings_).dump());
    if (disposalOverride_)
        defaults_.setValue(disposalKey, std::string(rawValue(*disposalOverride_)));
    else
        defaults_.remove(disposalKey);
}

void PreferencesState::addProjectRoot(const std::string& path) {
    const auto& roots = settings_.projectRoots;
    if (std::find(roots.begin(), roots.end(), path) != roots.end()) return;
    changeSettings([&path](ScanSettings& settings) { settings.projectRoots.push_back(path); });
}

void PreferencesState::removeProjectRoot(const std::string& path) {
    changeSettings([&path](ScanSettings& settings) { std::erase(settings.projectRoots, path); });
}

void PreferencesState::removeExclusion(const std::string& path) {
    changeSettings([&path](ScanSettings& settings) { settings.excludedPaths.erase(path); });
}

void PreferencesState::addExclusion(const std::string& path) {
    changeSettings([&path](ScanSettings& settings) { settings.excludedPaths.insert(path); });
}

void PreferencesState::changeSettings(const std::function<void(ScanSettings&)>& change) {
    auto settings = settings_;
    change(settings);
    setSettings(std::move(settings));
    saveSettings();
}

void PreferencesState::markOnboarded() { defaults_.setValue(onboardingKey, "true"); }

bool PreferencesState::isOnboarded() const { return defaults_.value(onboardingKey) == "true"; }

}  // namespace korvane
