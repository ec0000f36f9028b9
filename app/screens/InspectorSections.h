#pragma once

#include <functional>
#include <string>

#include <QAbstractButton>
#include <QLabel>

#include "app/presenters/InspectorContent.h"

class QWidget;

namespace korvane {

class ElidedLabel;
struct Palette;

// One of the largest children: its colour, name and size over a bar in
// proportion to the largest one. Clicking it, or Space or Return on it, shows
// that child.
class LargestInsideRowView : public QAbstractButton {
    Q_OBJECT
public:
    LargestInsideRowView(const LargestInsideRow& row, const Palette& palette, QWidget* parent = nullptr);

    const std::string& nodeID() const { return row_.id; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LargestInsideRow row_;
    QColor color_;
    ElidedLabel* name_;
    QLabel* bytes_;
};

// The three framed sections of the inspector.
QWidget* makeReasonSection(const InspectorReason& reason, const Palette& palette);
QWidget* makeDetailsSection(const std::vector<InspectorDetailRow>& rows, const Palette& palette);
// `choose` gets the id of the clicked child.
QWidget* makeLargestInsideSection(const LargestInside& largest, const Palette& palette,
                                  const std::function<void(const std::string&)>& choose);

}  // namespace korvane
