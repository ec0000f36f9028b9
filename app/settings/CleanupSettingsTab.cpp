#include "app/settings/CleanupSettingsTab.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SymbolView.h"
#include "app/presenters/SettingsContent.h"
#include "app/settings/SettingsForm.h"
#include "app/state/PreferencesState.h"

namespace korvane {

CleanupSettingsTab::CleanupSettingsTab(PreferencesState& preferences, QWidget* parent)
    : SettingsTabPage(parent), preferences_(preferences) {
    setSections({buildRemoval(), buildSafeguards()});
    // The review sheet's picker writes the same value.
    connect(&preferences_, &PreferencesState::settingsChanged, this, &CleanupSettingsTab::refresh);
    refresh();
    restyle();
}

QWidget* CleanupSettingsTab::buildRemoval() {
    auto* removal = new FormSection(QString::fromUtf8(settingsText::removal));
    auto* choices = new QWidget;
    auto* choiceColumn = new QVBoxLayout(choices);
    choiceColumn->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(this);
    const auto& options = removalOptions();
    for (std::size_t i = 0; i < options.size(); ++i) {
        auto* button = new QRadioButton(QString::fromStdString(options[i].label));
        group->addButton(button, static_cast<int>(i));
        choiceColumn->addWidget(button);
        removal_.push_back(button);
    }
    removal->rows()->addRow(QString::fromUtf8(settingsText::removalTitle), choices);
    removal->rows()->addRow(new FormNote(QString::fromUtf8(settingsText::removalNote)));
    // Any way of checking a choice stores it (a click, the arrows, a screen
    // reader's "Toggle"); showing the stored one changes nothing.
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        const auto value = removalOptions()[static_cast<std::size_t>(id)].value;
        if (!checked || value == preferences_.disposalOverride()) return;
        preferences_.setDisposalOverride(value);
        preferences_.saveSettings();
    });
    return removal;
}

QWidget* CleanupSettingsTab::buildSafeguards() {
    auto* never = new FormSection(QString::fromUtf8(settingsText::neverTouch));
    for (const auto& line : safeguards()) {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* lock = new SymbolView("lock.fill", 11);
        auto* text = new QLabel(QString::fromStdString(line));
        text->setTextFormat(Qt::PlainText);
        layout->addWidget(lock);
        layout->addWidget(text, 1);
        never->rows()->addRow(row);
        safeguards_.emplace_back(lock, text);
    }
    never->rows()->addRow(new FormNote(QString::fromUtf8(settingsText::neverTouchNote)));
    return never;
}

void CleanupSettingsTab::refresh() {
    // Checking one unchecks the others; it writes only when the value differs.
    const int chosen = removalIndex(preferences_.disposalOverride());
    if (chosen >= 0) removal_[static_cast<std::size_t>(chosen)]->setChecked(true);
}

void CleanupSettingsTab::restyle() {
    const Palette& palette = environmentPalette(this);
    for (auto& [lock, text] : safeguards_) {
        lock->setColor(palette.inkSecondary);
        styleLabel(text, AppFont::font(11), palette.inkSecondary);
    }
}

}  // namespace korvane
