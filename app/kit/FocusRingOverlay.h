#pragma once

#include <QWidget>

namespace korvane {

// The focus ring of a control that draws none itself: a widget laid over the
// control in its parent, hidden until follow() places and shows it. It takes
// no clicks and no focus; its corners follow the theme's radius, less `inset`
// and at least `minimumRadius`.
class FocusRingOverlay : public QWidget {
public:
    FocusRingOverlay(QWidget* parent, double inset, double minimumRadius);

protected:
    // Calls follow() whenever `widget` gains the focus, moves, changes its
    // size or its layout, shows or hides; hides the ring when it loses the focus.
    void watch(QWidget& widget) { widget.installEventFilter(this); }
    // Places the ring and shows it while its control has the focus.
    virtual void follow() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    double inset_;
    double minimumRadius_;
};

}  // namespace korvane
