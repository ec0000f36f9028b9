#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace korvane {

class ElidedLabel;

// The headline of a canvas page: the ways back up (when there are any), the
// name of what is on show and its figures. The figures stand beside the
// name while both fit the width and go under it when not, so a figure is
// never cut; only a name too long for a line of its own is shortened, in
// its middle, with the whole in its tooltip.
class PageHeader : public QWidget {
    Q_OBJECT
public:
    // `lead` goes before the name, on the same line while it fits.
    explicit PageHeader(QWidget* lead = nullptr, QWidget* parent = nullptr);

    ElidedLabel* name() const { return name_; }
    // A figure (or the dot between two), after the others.
    void addFigure(QLabel* figure);

private:
    ElidedLabel* name_;
    QHBoxLayout* figureRow_;
};

}  // namespace korvane
