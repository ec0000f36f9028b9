#include "app/state/PreferencesState.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "app/platform/Settings.h"
#include "core/system/Paths.h"
#include "core/system/RealPath.h"
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

std::optional<std::string> PreferencesState::projectRootRefusal(const std::string& path) {
    const auto standard = Paths::standardise(path);
    if (!standard || standard->empty() || standard->front() != '/')
        return "Korvane can search only a folder given by its full path.";
    if (*standard == "/")
        return "Korvane does not search the whole computer for projects. Choose the folders that hold them.";
    // Searching a folder that holds the home walks all of it, and everything beside it.
    const std::string home = Paths::home();
    if (Paths::isAtOrBelow(home, *standard) ||
        Paths::isAtOrBelow(RealPath::resolved(home), RealPath::resolved(*standard)))
        return "\u201C" + Paths::abbreviatingHome(*standard) +
               "\u201D holds your whole home folder. Choose the folders that hold your projects.";
    return std::nullopt;
}

std::optional<std::string> PreferencesState::addProjectRoot(const std::string& path) {
    if (auto refusal = projectRootRefusal(path)) return refusal;
    const std::string standard = *Paths::standardise(path);
    if (ScanSettings probe = settings_; !probe.addProjectRoot(standard)) return std::nullopt;
    changeSettings([&standard](ScanSettings& settings) { settings.addProjectRoot(standard); });
    return std::nullopt;
}

void PreferencesState::removeProjectRoot(const std::string& path) {
    if (ScanSettings probe = settings_; !probe.removeProjectRoot(path)) return;
    changeSettings([&path](ScanSettings& settings) { settings.removeProjectRoot(path); });
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
