#pragma once

#include "app/settings/SettingsTabPage.h"

class QLabel;

namespace korvane {

class SymbolView;

// The "About" tab: what the program is and a word on privacy. No controls.
class AboutTab : public SettingsTabPage {
    Q_OBJECT
public:
    explicit AboutTab(QWidget* parent = nullptr);

private:
    void restyle() override;

    SymbolView* drive_;
    QLabel* title_;
    QLabel* tagline_;
    SymbolView* shield_;
    QLabel* privacy_;
};

}  // namespace korvane
