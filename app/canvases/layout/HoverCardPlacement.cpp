#include "app/canvases/layout/HoverCardPlacement.h"

#include <algorithm>

namespace korvane {

QPointF HoverCardPlacement::origin(QRectF target, QSizeF container, QSizeF card) {
    const double w = card.width(), h = card.height();
    const double W = container.width(), H = container.height();
    const double x0 = target.center().x() - 0.5 * w;
    double y0 = target.bottom() + gap;
    if (H - margin < y0 + h) y0 = target.top() - h - gap;
    const double x = std::min(std::max(W - w - margin, margin), std::max(x0, margin));
    const double y = std::min(std::max(H - h - margin, margin), std::max(y0, margin));
    return {x, y};
}

QSizeF HoverCardPlacement::measured(QSizeF stored, QSizeF reported) {
    return reported.height() > 0 ? reported : stored;
}

}  // namespace korvane
