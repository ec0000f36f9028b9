#pragma once

#include <vector>

#include <QWidget>

#include "app/state/AppState.h"

class QLabel;
class QRadioButton;

namespace korvane {

class SymbolView;

// The "Cleanup" tab: how a cleanup removes items (the same choice as the
// review sheet's disposal picker, saved at once) and what is never removed.
class CleanupSettingsTab : public QWidget {
    Q_OBJECT
public:
    explicit CleanupSettingsTab(AppState& state, QWidget* parent = nullptr);

    // Recommended, Trash, delete.
    const std::vector<QRadioButton*>& removalButtons() const { return removal_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void restyle();

    AppState& state_;
    std::vector<QRadioButton*> removal_;
    std::vector<std::pair<SymbolView*, QLabel*>> safeguards_;
};

}  // namespace korvane
