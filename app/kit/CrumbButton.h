#pragma once

#include <QPushButton>

#include <vector>

class QColor;
class QHBoxLayout;

namespace korvane {

// One step of a location: a node's name as a flat button, the last step
// emphasised on the hover colour. The name shows as written (no mnemonic)
// and is elided at its end when the row runs short.
class CrumbButton : public QPushButton {
    Q_OBJECT
public:
    CrumbButton(const QString& name, bool isLast, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    bool isLast_;
};

// A row of crumbs: the chevron between two, the buttons in it, and emptying
// it (the old widgets go at once from the screen, later from memory).
QWidget* crumbChevron(const QColor& color);
std::vector<QPushButton*> crumbButtons(const QHBoxLayout* row);
void clearCrumbs(QHBoxLayout* row);

}  // namespace korvane
