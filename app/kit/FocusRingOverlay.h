#pragma once

#include <QWidget>

namespace korvane {

// The focus ring of a control that draws none itself: a widget laid over the
// control in its parent, hidden until the owner places and shows it. It takes
// no clicks and no focus; its corners follow the theme's radius, less `inset`
// and at least `minimumRadius`.
class FocusRingOverlay : public QWidget {
public:
    FocusRingOverlay(QWidget* parent, double inset, double minimumRadius);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double inset_;
    double minimumRadius_;
};

}  // namespace korvane
