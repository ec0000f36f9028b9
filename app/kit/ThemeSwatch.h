#pragma once

#include <QWidget>

#include "app/state/ThemeID.h"

namespace korvane {

// A miniature of a theme, `size` tall and 1.55 times as wide.
class ThemeSwatch : public QWidget {
    Q_OBJECT
public:
    ThemeSwatch(ThemeID theme, double size, QWidget* parent = nullptr);

    void setTheme(ThemeID theme);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemeID theme_;
    double size_;
};

}  // namespace korvane
