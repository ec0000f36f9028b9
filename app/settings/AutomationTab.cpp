#include "app/settings/AutomationTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/presenters/SettingsContent.h"
#include "app/settings/SettingsForm.h"
#include "app/state/PreferencesState.h"

namespace korvane {

AutomationTab::AutomationTab(Automation& automation, PreferencesState& preferences, QWidget* parent)
    : SettingsTabPage(parent),
      automation_(automation),
      preferences_(preferences),
      scheduleToggle_(new QCheckBox(QString::fromUtf8(settingsText::scheduleToggle))),
      alertsToggle_(new QCheckBox(QString::fromUtf8(settingsText::alertsToggle))),
      neverTouched_(new FormSection(QString::fromUtf8(settingsText::neverTouched))),
      neverTouchedRows_(new QVBoxLayout) {
    setSections({buildSchedule(), buildAlerts(), buildNeverTouched()});

    connect(&automation_, &Automation::scheduleChanged, this, &AutomationTab::refreshSchedule);
    connect(&preferences_, &PreferencesState::settingsChanged, this, &AutomationTab::refreshNeverTouched);
    refreshSchedule();
    refreshNeverTouched();
}

QWidget* AutomationTab::buildSchedule() {
    auto* scheduled = new FormSection(QString::fromUtf8(settingsText::scheduled));
    scheduled->rows()->addRow(scheduleToggle_);
    connect(scheduleToggle_, &QCheckBox::toggled, this,
            [this](bool on) { writeSchedule([on](Automation::Schedule& s) { s.isEnabled = on; }); });
    weekday_ = addPicker(scheduled, settingsText::every, weekdayOptions(), &Automation::Schedule::weekday);
    hour_ = addPicker(scheduled, settingsText::at, hourOptions(), &Automation::Schedule::hour);
    scheduled->rows()->addRow(new FormNote(QString::fromUtf8(settingsText::scheduleNote)));
    return scheduled;
}

QWidget* AutomationTab::buildAlerts() {
    auto* tell = new FormSection(QString::fromUtf8(settingsText::tellMe));
    tell->rows()->addRow(alertsToggle_);
    connect(alertsToggle_, &QCheckBox::toggled, this,
            [this](bool on) { writeSchedule([on](Automation::Schedule& s) { s.alertsEnabled = on; }); });
    reclaimable_ = addPicker(tell, settingsText::reclaimablePasses, reclaimableOptions(),
                             &Automation::Schedule::reclaimableAlertGB);
    lowSpace_ = addPicker(tell, settingsText::freeSpaceBelow, lowSpaceOptions(),
                          &Automation::Schedule::lowSpaceAlertGB);
    tell->rows()->addRow(new FormNote(QString::fromUtf8(settingsText::alertsNote)));
    return tell;
}

QWidget* AutomationTab::buildNeverTouched() {
    neverTouchedRows_->setContentsMargins(0, 0, 0, 0);
    auto* rows = new QWidget;
    rows->setLayout(neverTouchedRows_);
    neverTouched_->rows()->addRow(rows);
    neverTouched_->rows()->addRow(new FormNote(QString::fromUtf8(settingsText::neverTouchedNote)));
    return neverTouched_;
}

QComboBox* AutomationTab::addPicker(FormSection* section, const char* title,
                                    const std::vector<PickerOption>& options,
                                    std::int64_t Automation::Schedule::*field) {
    auto* picker = new QComboBox;
    for (const auto& option : options)
        picker->addItem(QString::fromStdString(option.label), QVariant::fromValue<qlonglong>(option.value));
    section->rows()->addRow(QString::fromUtf8(title), picker);
    // Only the user's pick writes; a stored value that is no option stays until then.
    connect(picker, &QComboBox::activated, this, [this, picker, field](int index) {
        const std::int64_t value = picker->itemData(index).toLongLong();
        writeSchedule([field, value](Automation::Schedule& s) { s.*field = value; });
    });
    return picker;
}

void AutomationTab::writeSchedule(const std::function<void(Automation::Schedule&)>& change) {
    Automation::Schedule schedule = automation_.schedule();
    change(schedule);
    automation_.setSchedule(schedule);
}

void AutomationTab::refreshSchedule() {
    const Automation::Schedule& schedule = automation_.schedule();
    const auto show = [](QComboBox* picker, const std::vector<PickerOption>& options, std::int64_t value) {
        const QSignalBlocker quiet(picker);
        picker->setCurrentIndex(optionIndex(options, value));
    };
    show(weekday_, weekdayOptions(), schedule.weekday);
    show(hour_, hourOptions(), schedule.hour);
    show(reclaimable_, reclaimableOptions(), schedule.reclaimableAlertGB);
    show(lowSpace_, lowSpaceOptions(), schedule.lowSpaceAlertGB);
    for (auto [toggle, on] :
         {std::pair{scheduleToggle_, schedule.isEnabled}, {alertsToggle_, schedule.alertsEnabled}}) {
        const QSignalBlocker quiet(toggle);
        toggle->setChecked(on);
    }
}

std::vector<PathRowView*> AutomationTab::neverTouchedRows() const { return pathRows(*neverTouchedRows_); }

void AutomationTab::refreshNeverTouched() {
    const auto paths = korvane::neverTouchedRows(preferences_.settings());
    showPathRows(*neverTouchedRows_, paths,
                 [this](const std::string& path) { preferences_.removeExclusion(path); });
    neverTouched_->setVisible(!paths.empty());
}

}  // namespace korvane
