#pragma once

#include <vector>

#include "app/settings/SettingsTabPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace korvane {

class DesktopActions;
class PathRowView;
class PreferencesState;

// The "Scanning" tab: which categories a developer scan runs, the folders it
// searches for projects and when a project counts as stale. Every change is
// written into the preferences and saved at once; the tab shows their
// settings whoever changed them.
class ScanSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    ScanSettingsTab(PreferencesState& preferences, const DesktopActions& desktop, QWidget* parent = nullptr);

    // In category declaration order.
    const std::vector<QCheckBox*>& categoryToggles() const { return toggles_; }
    std::vector<PathRowView*> projectRows() const;
    QPushButton* addFolderButton() const { return addFolder_; }
    // Why the last folder chosen was not added; hidden when every one was.
    QLabel* refusalNote() const { return refusal_; }
    QComboBox* stalePicker() const { return stale_; }

    // "Add folder…": the folders chosen in the picker, each added once; no
    // scan. "/" and a folder holding the whole home are not added.
    void addProjectRoot();

private:
    QWidget* buildToolchains();
    QWidget* buildProjects();
    QWidget* buildThresholds();
    void refresh();
    void restyle() override;

    PreferencesState& preferences_;
    const DesktopActions& desktop_;
    std::vector<QCheckBox*> toggles_;
    QWidget* projectList_;
    QVBoxLayout* projectRows_;
    QPushButton* addFolder_;
    QLabel* refusal_;
    QComboBox* stale_;
};

}  // namespace korvane
