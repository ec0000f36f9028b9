#pragma once

#include <optional>
#include <string>

#include <QAbstractButton>

namespace korvane {

// A pill of the top bar and the canvas switcher: a symbol and a title, filled
// with the theme's solid colour while active. The title may show only while
// active (the switcher); it is always the accessible name. Screen readers
// hear a toggle button, pressed while what it opens is open, or, in a
// PillGroup, one tab of the group's tab list, selected while active. Their
// actions act as a click does; only the owner's setActive() and setPressed()
// change what shows.
class PillButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { toggle, tab };

    PillButton(std::string symbol, const QString& title, QWidget* parent = nullptr);

    void setActive(bool active);
    bool isActive() const { return active_; }
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool showsTitle() const { return active_ || !titleOnlyWhenActive_; }

    void announceState();

    std::string symbol_;
    Kind kind_ = Kind::toggle;
    bool active_ = false;
    std::optional<bool> pressed_;
    bool titleOnlyWhenActive_ = false;
    double activePadding_ = 10;
    double restingPadding_ = 10;
    double radius_ = 7;
};

}  // namespace korvane
