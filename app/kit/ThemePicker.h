#pragma once

#include <QWidget>

#include "app/state/ThemeID.h"

namespace korvane {

class Dropdown;
class PickerLabel;
class SymbolView;
class ThemeSwatch;

// The top bar's theme switch: a miniature of the current theme (the
// environment's) that opens the list of all nine. Choosing one reports it;
// the owner stores it and restyles the window.
class ThemePicker : public QWidget {
    Q_OBJECT
public:
    explicit ThemePicker(QWidget* parent = nullptr);

    Dropdown* dropdown() const { return dropdown_; }
    // The face the list opens from.
    PickerLabel* face() const { return label_; }

signals:
    void themeChosen(ThemeID theme);

private:
    QList<QWidget*> rows(const std::function<void()>& close);
    void restyle();

    Dropdown* dropdown_;
    PickerLabel* label_;
    ThemeSwatch* swatch_;
    SymbolView* chevron_;
};

}  // namespace korvane
