#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "app/presenters/SettingsContent.h"
#include "app/settings/SettingsTabPage.h"
#include "app/state/Automation.h"

class QCheckBox;
class QComboBox;
class QVBoxLayout;

namespace korvane {

class FormSection;
class PathRowView;
class PreferencesState;

// The "Automation" tab: the weekly scan, the two alerts after a scan and the
// paths marked "Never touch". Each schedule change writes the whole schedule
// (which saves and re-arms it); the tab follows the schedule's own signal as
// well as the preferences' settings.
class AutomationTab : public SettingsTabPage {
    Q_OBJECT
public:
    AutomationTab(Automation& automation, PreferencesState& preferences, QWidget* parent = nullptr);

    QCheckBox* scheduleToggle() const { return scheduleToggle_; }
    QComboBox* weekdayPicker() const { return weekday_; }
    QComboBox* hourPicker() const { return hour_; }
    QCheckBox* alertsToggle() const { return alertsToggle_; }
    QComboBox* reclaimablePicker() const { return reclaimable_; }
    QComboBox* lowSpacePicker() const { return lowSpace_; }
    // Hidden while no path is excluded.
    FormSection* neverTouchedSection() const { return neverTouched_; }
    std::vector<PathRowView*> neverTouchedRows() const;

private:
    QWidget* buildSchedule();
    QWidget* buildAlerts();
    QWidget* buildNeverTouched();
    // Adds a picker whose user pick replaces one field of the schedule.
    QComboBox* addPicker(FormSection* section, const char* title, const std::vector<PickerOption>& options,
                         std::int64_t Automation::Schedule::*field);
    void writeSchedule(const std::function<void(Automation::Schedule&)>& change);
    void refreshSchedule();
    void refreshNeverTouched();

    Automation& automation_;
    PreferencesState& preferences_;
    QCheckBox* scheduleToggle_;
    QComboBox* weekday_;
    QComboBox* hour_;
    QCheckBox* alertsToggle_;
    QComboBox* reclaimable_;
    QComboBox* lowSpace_;
    FormSection* neverTouched_;
    QVBoxLayout* neverTouchedRows_;
};

}  // namespace korvane
