#pragma once

#include <QWidget>
#include <vector>

class QHBoxLayout;

namespace korvane {

class PillButton;

// A row of pills on a rounded panel with a hairline border (the top bar's
// mode switch, the canvas switcher): one choice among them, so the pills are
// the tabs of a tab list. Tab reaches the active one; the arrows, Home and
// End choose another, as a click on it does.
class PillGroup : public QWidget {
    Q_OBJECT
public:
    explicit PillGroup(double radius, QWidget* parent = nullptr);

    void addPill(PillButton* pill);
    // The group's width at rest with its widest choice active: room kept
    // for it never depends on the choice or on a move under way.
    int widestWidth() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    double radius_;
    QHBoxLayout* row_;
    std::vector<PillButton*> pills_;
};

}  // namespace korvane
