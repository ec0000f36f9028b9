#include "app/presenters/WindowPlacement.h"

#include <algorithm>

namespace korvane::windowPlacement {

QRect firstPlacement(QSize preferred, QSize minimum, QRect available) {
    const QRect room = available.marginsRemoved(frameAllowance);
    // A screen too small for the frame still gets the window inside it.
    const QRect inside = room.isValid() ? room : available;
    const auto fit = [](int wanted, int least, int space) {
        return std::clamp(wanted, std::min(least, space), space);
    };
    const QSize size(fit(preferred.width(), minimum.width(), inside.width()),
                     fit(preferred.height(), minimum.height(), inside.height()));
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(inside.center());
    // Never above or left of the area: the title bar stays reachable.
    placed.moveTopLeft(QPoint(std::max(placed.left(), inside.left()), std::max(placed.top(), inside.top())));
    return placed;
}

bool fitsAScreen(QRect content, QSize minimum, const std::vector<QRect>& availableAreas) {
    if (content.width() < minimum.width() || content.height() < minimum.height()) return false;
    return std::any_of(availableAreas.begin(), availableAreas.end(),
                       [&](const QRect& area) { return area.contains(content); });
}

QRect popupPlacement(QPoint anchor, QSize size, QMargins room, QRect available) {
    QRect frame(anchor - QPoint(room.left(), room.top()), size);
    if (available.isEmpty()) return frame;
    // A tray at the bottom of the screen opens its panel upwards.
    if (frame.bottom() > available.bottom()) frame.moveBottom(anchor.y());
    if (frame.right() > available.right()) frame.moveRight(available.right());
    if (frame.bottom() > available.bottom()) frame.moveBottom(available.bottom());
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveTop(std::max(frame.top(), available.top()));
    return frame;
}

}  // namespace korvane::windowPlacement
