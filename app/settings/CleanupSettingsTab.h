#pragma once

#include <vector>

#include "app/settings/SettingsTabPage.h"

class QLabel;
class QRadioButton;

namespace korvane {

class PreferencesState;
class SymbolView;

// The "Cleanup" tab: how a cleanup removes items (the same choice as the
// review sheet's disposal picker, saved at once) and what is never removed.
class CleanupSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    explicit CleanupSettingsTab(PreferencesState& preferences, QWidget* parent = nullptr);

    // Recommended, Trash, delete.
    const std::vector<QRadioButton*>& removalButtons() const { return removal_; }

private:
    QWidget* buildRemoval();
    QWidget* buildSafeguards();
    void refresh();
    void restyle() override;

    PreferencesState& preferences_;
    std::vector<QRadioButton*> removal_;
    std::vector<std::pair<SymbolView*, QLabel*>> safeguards_;
};

}  // namespace korvane
