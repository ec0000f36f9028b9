#include "app/theme/DropdownGeometry.h"

#include <algorithm>

#include "app/theme/Palette.h"

namespace korvane {

QRectF DropdownGeometry::listFrame(QRectF label, QSizeF list, Direction direction, Alignment alignment,
                                   QRectF bounds) {
    const double x = alignment == Alignment::trailing ? label.right() - list.width() : label.left();
    const double y = direction == Direction::down ? label.top() + listOffset
                                                  : label.bottom() - listOffset - list.height();
    QRectF frame(QPointF(x, y), list);
    if (bounds.isValid()) {
        frame.moveLeft(std::max(std::min(frame.left(), bounds.right() - frame.width()), bounds.left()));
        frame.moveTop(std::max(std::min(frame.top(), bounds.bottom() - frame.height()), bounds.top()));
    }
    return frame;
}

QPointF DropdownGeometry::insertionOffset(Direction direction) {
    return QPointF(0, direction == Direction::down ? -6 : 6);
}

DropdownGeometry::Look DropdownGeometry::Look::between(const Look& from, const Look& to, double progress) {
    if (progress == 1) return to;
    const auto mix = [progress](double a, double b) { return a + (b - a) * progress; };
    return {from.offset + (to.offset - from.offset) * progress, mix(from.scale, to.scale),
            mix(from.opacity, to.opacity)};
}

QTransform DropdownGeometry::Look::transform(QPointF anchor) const {
    QTransform transform;
    transform.translate(anchor.x() + offset.x(), anchor.y() + offset.y());
    transform.scale(scale, scale);
    transform.translate(-anchor.x(), -anchor.y());
    return transform;
}

QPointF DropdownGeometry::anchor(QRectF card, Direction direction, Alignment alignment) {
    return {alignment == Alignment::trailing ? card.right() : card.left(),
            direction == Direction::down ? card.top() : card.bottom()};
}

DropdownGeometry::Look DropdownGeometry::insertedLook(Direction direction) {
    return {insertionOffset(direction), 0.94, 0};
}

DropdownGeometry::Look DropdownGeometry::removedLook() { return {QPointF(), 0.97, 0}; }

double DropdownGeometry::listRadius(const Palette& palette) { return palette.radius + 2; }

double DropdownGeometry::rowRadius(const Palette& palette) { return std::max(palette.radius - 3, 4.0); }

double DropdownGeometry::pickerLabelRadius(const Palette& palette) { return std::max(palette.radius - 3, 5.0); }

}  // namespace korvane
