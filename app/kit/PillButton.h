#pragma once

#include <optional>
#include <string>

#include <QAbstractButton>

namespace korvane {

class MotionAnimation;

// A pill of the top bar and the canvas switcher: a symbol and a title, filled
// with the theme's solid colour while active. The title may show only while
// active (the switcher); it is always the accessible name. Screen readers
// hear a toggle button, pressed while what it opens is open, or, in a
// PillGroup, one tab of the group's tab list, selected while active. Their
// actions act as a click does; only the owner's setActive() and setPressed()
// change what shows. Becoming active or not, the fill, the colours, the width
// and the title move on the quick spring.
class PillButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { toggle, tab };

    PillButton(std::string symbol, const QString& title, QWidget* parent = nullptr);

    // Moves to the new look unless `animated` is false or the pill is not on screen.
    void setActive(bool active, bool animated = true);
    bool isActive() const { return active_; }
    // How far the look has moved towards active: 0 … 1 (a spring may pass 1).
    double activeness() const;
    // A toggle's state for screen readers; it follows setActive() unless set.
    void setPressed(bool pressed);
    bool isPressed() const { return pressed_.value_or(active_); }
    // A tab leaves the Tab chain while another tab of its group is active:
    // the arrows move between the tabs.
    void setKind(Kind kind);
    Kind kind() const { return kind_; }
    void setShowsTitleOnlyWhenActive(bool only);
    // Padding on each side while active and while not; the corner radius.
    void setShape(double activePadding, double restingPadding, double radius);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The size hint at rest, active or not, whatever the pill shows now.
    QSize restingSizeHint(bool active) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // How much of the title shows: 1 always, or as far as the pill is active.
    double titleShown() const;
    double padding() const;
    QSize sizeAt(double activeness) const;

    void announceState();

    std::string symbol_;
    Kind kind_ = Kind::toggle;
    bool active_ = false;
    std::optional<bool> pressed_;
    bool titleOnlyWhenActive_ = false;
    double activePadding_ = 10;
    double restingPadding_ = 10;
    double radius_ = 7;
    MotionAnimation* activeness_;
};

}  // namespace korvane
