#include "app/settings/ScanSettingsTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/presenters/SettingsContent.h"
#include "app/settings/SettingsForm.h"
#include "app/state/DesktopActions.h"
#include "app/state/PreferencesState.h"
#include "app/theme/AppFont.h"

namespace korvane {

ScanSettingsTab::ScanSettingsTab(PreferencesState& preferences, const DesktopActions& desktop,
                                 QWidget* parent)
    : SettingsTabPage(parent),
      preferences_(preferences),
      desktop_(desktop),
      projectList_(new QWidget),
      projectRows_(new QVBoxLayout(projectList_)),
      addFolder_(new QPushButton(QString::fromUtf8(settingsText::addFolder))),
      refusal_(new QLabel),
      stale_(new QComboBox) {
    setSections({buildToolchains(), buildProjects(), buildThresholds()});
    connect(&preferences_, &PreferencesState::settingsChanged, this, &ScanSettingsTab::refresh);
    refresh();
    restyle();
}

QWidget* ScanSettingsTab::buildToolchains() {
    auto* toolchains = new FormSection(QString::fromUtf8(settingsText::toolchains));
    for (const auto& row : categoryToggleRows(preferences_.settings())) {
        auto* toggle = new QCheckBox(QString::fromStdString(row.title));
        toggles_.push_back(toggle);
        toolchains->rows()->addRow(toggle);
        const CleanupCategory category = row.category;
        connect(toggle, &QCheckBox::toggled, this, [this, category](bool on) {
            preferences_.setSettings(withCategory(preferences_.settings(), category, on));
            preferences_.saveSettings();
        });
    }
    return toolchains;
}

QWidget* ScanSettingsTab::buildProjects() {
    auto* projects = new FormSection(QString::fromUtf8(settingsText::projects));
    projectRows_->setContentsMargins(0, 0, 0, 0);
    projects->rows()->addRow(projectList_);
    addFolder_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    projects->rows()->addRow(addFolder_);
    refusal_->setTextFormat(Qt::PlainText);
    refusal_->setWordWrap(true);
    refusal_->hide();
    projects->rows()->addRow(refusal_);
    projects->rows()->addRow(new FormNote(QString::fromUtf8(settingsText::projectsNote)));
    connect(addFolder_, &QPushButton::clicked, this, &ScanSettingsTab::addProjectRoot);
    return projects;
}

QWidget* ScanSettingsTab::buildThresholds() {
    auto* thresholds = new FormSection(QString::fromUtf8(settingsText::thresholds));
    for (const auto& option : staleOptions())
        stale_->addItem(QString::fromStdString(option.label), QVariant::fromValue<qlonglong>(option.value));
    thresholds->rows()->addRow(QString::fromUtf8(settingsText::staleTitle), stale_);
    thresholds->rows()->addRow(new FormNote(QString::fromUtf8(settingsText::staleNote)));
    // Only a pick by the user writes: showing a stored value that is no option writes nothing.
    connect(stale_, &QComboBox::activated, this, [this](int index) {
        auto settings = preferences_.settings();
        settings.staleProjectDays = stale_->itemData(index).toLongLong();
        preferences_.setSettings(std::move(settings));
        preferences_.saveSettings();
    });
    return thresholds;
}

std::vector<PathRowView*> ScanSettingsTab::projectRows() const { return pathRows(*projectRows_); }

void ScanSettingsTab::addProjectRoot() {
    // At the home folder, where projects lie: without a starting folder the
    // picker would open wherever the program was started, often "/".
    const auto folders =
        desktop_.chooseFolders(settingsText::pickFolderPrompt, settingsText::pickFolderMessage, true);
    if (folders.empty()) return;
    std::optional<std::string> refusal;
    for (const auto& folder : folders)
        if (auto refused = preferences_.addProjectRoot(folder); refused && !refusal)
            refusal = std::move(refused);
    // Says why a chosen folder is not on the list, until the next choice.
    refusal_->setText(QString::fromStdString(refusal.value_or("")));
    refusal_->setVisible(refusal.has_value());
}

void ScanSettingsTab::refresh() {
    const ScanSettings& settings = preferences_.settings();
    const auto rows = categoryToggleRows(settings);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QSignalBlocker quiet(toggles_[i]);
        toggles_[i]->setChecked(rows[i].isOn);
    }

    const auto projects = projectRootRows(settings);
    showPathRows(*projectRows_, projects,
                 [this](const std::string& path) { preferences_.removeProjectRoot(path); });
    projectList_->setVisible(!projects.empty());

    const QSignalBlocker quiet(stale_);
    stale_->setCurrentIndex(optionIndex(staleOptions(), settings.staleProjectDays));
}

void ScanSettingsTab::restyle() {
    const Palette& palette = environmentPalette(this);
    const auto rows = categoryToggleRows(preferences_.settings());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // Title and icon both in the category's colour.
        const QColor color = palette.colorForCategory(rows[i].category);
        QPalette colors = toggles_[i]->palette();
        colors.setColor(QPalette::WindowText, color);
        colors.setColor(QPalette::ButtonText, color);
        toggles_[i]->setPalette(colors);
        toggles_[i]->setIcon(symbolIcon(rows[i].symbol, 14, color));
    }
    styleLabel(refusal_, AppFont::font(10), palette.red());
}

}  // namespace korvane
