#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/state/PublishedState.h"
#include "app/state/ThemeID.h"
#include "app/state/ViewChoices.h"
#include "core/model/ScanSettings.h"
#include "core/safety/CleanupEngine.h"

namespace korvane {

class Settings;

// What the user chose and Korvane keeps between runs: the mode, the theme,
// the scan settings and the disposal, written through at once.
class PreferencesState : public PublishedState {
    Q_OBJECT
public:
    static constexpr const char* modeKey = "mode";
    static constexpr const char* themeKey = "theme";
    static constexpr const char* scanSettingsKey = "scan.settings";
    static constexpr const char* disposalKey = "cleanup.disposal";
    static constexpr const char* onboardingKey = "onboarding.completed";

    PreferencesState(StateChanges& changes, Settings& defaults, QObject* parent = nullptr);

    ThemeID themeID() const { return themeID_; }
    // Also stores the theme under "theme", on every call.
    void setThemeID(ThemeID theme);
    Mode mode() const { return mode_; }
    // Also stores the mode under "mode", on every call.
    void setMode(Mode mode);
    const ScanSettings& settings() const { return settings_; }
    void setSettings(ScanSettings settings);
    const std::optional<Disposal>& disposalOverride() const { return disposalOverride_; }
    void setDisposalOverride(std::optional<Disposal> disposal);

    // "scan.settings" and "cleanup.disposal" into `settings` and `disposalOverride`;
    // a value that does not decode changes nothing.
    void loadSettings();
    // Writes both back; no disposal removes "cleanup.disposal".
    void saveSettings();
    // Why the folder may not be searched for projects ("/", a folder that
    // holds the whole home); none when it may.
    static std::optional<std::string> projectRootRefusal(const std::string& path);
    // Adds the folder once; a folder already listed changes nothing. A folder
    // that may not be searched is not added: the reason comes back.
    std::optional<std::string> addProjectRoot(const std::string& path);
    // Takes the folder off the list; a default folder stays off.
    void removeProjectRoot(const std::string& path);
    void removeExclusion(const std::string& path);
    // Keeps the path out of every later scan and cleanup.
    void addExclusion(const std::string& path);

    // A scan has started once: the next launch skips onboarding.
    void markOnboarded();
    bool isOnboarded() const;

    // The persisted choices, for what the window keeps of itself (its place on the screen).
    Settings& defaults() const { return defaults_; }

signals:
    void themeChanged();
    void modeChanged();
    void settingsChanged();  // settings or disposal

private:
    // Published and written through at once.
    void changeSettings(const std::function<void(ScanSettings&)>& change);

    Settings& defaults_;
    ThemeID themeID_ = ThemeID::paper;
    Mode mode_ = Mode::general;
    ScanSettings settings_ = ScanSettings::defaultSettings();
    std::optional<Disposal> disposalOverride_;
};

}  // namespace korvane
