#include "app/canvases/layout/HoverCardPlacement.h"

#include <algorithm>
#include <cstdio>

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

std::string HoverCardPlacement::shareText(std::int64_t nodeBytes, std::int64_t rootBytes) {
    std::string share = "<0.1";
    if (rootBytes >= 1) {
        const double p = static_cast<double>(nodeBytes) / static_cast<double>(rootBytes) * 100;
        if (!(p < 0.1)) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, p < 10 ? "%.1f" : "%.0f", p);
            share = buffer;
        }
    }
    return "\u00B7 " + share + "%";
}

}  // namespace korvane
