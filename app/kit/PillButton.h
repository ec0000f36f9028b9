#pragma once

#include <string>

#include <QAbstractButton>

namespace korvane {

// A pill of the top bar and the canvas switcher: a symbol and a title, filled
// with the theme's solid colour while active. The title may show only while
// active (the switcher); it is always the accessible name. Screen readers
// read it as checked while active; their "Toggle" acts as a click does, and
// only the owner's setActive() changes what shows.
class PillButton : public QAbstractButton {
    Q_OBJECT
public:
    PillButton(std::string symbol, const QString& title, QWidget* parent = nullptr);

    void setActive(bool active);
    bool isActive() const { return active_; }
    void setShowsTitleOnlyWhenActive(bool only);
    // Padding on each side while active and while not; the corner radius.
    void setShape(double activePadding, double restingPadding, double radius);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}

private:
    bool showsTitle() const { return active_ || !titleOnlyWhenActive_; }

    std::string symbol_;
    bool active_ = false;
    bool showingActive_ = false;
    bool titleOnlyWhenActive_ = false;
    double activePadding_ = 10;
    double restingPadding_ = 10;
    double radius_ = 7;
};

}  // namespace korvane
