#pragma once

#include <QWidget>

#include "app/state/AppState.h"

class QTabWidget;

namespace korvane {

class AboutTab;
class AutomationTab;
class CleanupSettingsTab;
class ScanSettingsTab;

// The settings sheet's content: four tabs 520 wide and at least 420 high,
// asking for the height of the tallest tab's sections (the sheet grows with
// the window up to that and scrolls below it), opening on the first tab
// every time it is shown. There is nothing to apply: every control saves
// its change when it is made.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 520;
    static constexpr int height = 420;

    explicit SettingsView(AppState& state, QWidget* parent = nullptr);
    ~SettingsView() override;

    QSize sizeHint() const override;

    QTabWidget* tabs() const { return tabs_; }
    ScanSettingsTab* scanTab() const { return scan_; }
    CleanupSettingsTab* cleanupTab() const { return cleanup_; }
    AutomationTab* automationTab() const { return automation_; }
    AboutTab* aboutTab() const { return about_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void restyle();

    QTabWidget* tabs_;
    ScanSettingsTab* scan_;
    CleanupSettingsTab* cleanup_;
    AutomationTab* automation_;
    AboutTab* about_;
};

}  // namespace korvane
