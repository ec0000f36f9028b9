#include "app/canvases/PendingCanvas.h"

#include <QPainter>

#include "app/theme/AppFont.h"
#include "app/theme/Palette.h"

namespace korvane {

PendingCanvas::PendingCanvas(AppState& state, AppState::CanvasMode mode, QWidget* parent)
    : CanvasBase(state, mode, parent) {}

void PendingCanvas::paintCanvas(QPainter& painter) {
    painter.setFont(AppFont::body());
    painter.setPen(palette().inkTertiary);
    painter.drawText(rect(), Qt::AlignCenter, accessibleName());
}

}  // namespace korvane
