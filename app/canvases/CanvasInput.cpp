#include "app/canvases/CanvasInput.h"

#include <cmath>
#include <utility>

namespace korvane {

CanvasInput::CanvasInput(Handlers handlers) : handlers_(std::move(handlers)) {}

void CanvasInput::press(QPointF position, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    if (dragThreshold_) {
        dragStart_ = position;
        dragging_ = false;
    }
    pressed_ = handlers_.hitAt(position);
}

void CanvasInput::move(QPointF position, Qt::MouseButtons held) {
    if (dragStart_ && (held & Qt::LeftButton)) {
        const QPointF moved = position - *dragStart_;
        if (!dragging_ && std::hypot(moved.x(), moved.y()) >= *dragThreshold_) dragging_ = true;
        if (dragging_) {
            if (handlers_.drag) handlers_.drag(moved);
            return;
        }
    }
    handlers_.hover(handlers_.hitAt(position));
}

void CanvasInput::release(QPointF position, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    dragStart_.reset();
    if (std::exchange(dragging_, false)) {
        if (handlers_.dragEnd) handlers_.dragEnd();
        return;
    }
    const auto pressed = std::exchange(pressed_, std::nullopt);
    const auto hit = handlers_.hitAt(position);
    if (hit && hit == pressed) handlers_.click(*hit);
}

void CanvasInput::doubleClick(QPointF position, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    if (const auto hit = handlers_.hitAt(position)) handlers_.doubleClick(*hit);
}

void CanvasInput::leave() { handlers_.hover(std::nullopt); }

void CanvasInput::contextMenu(QPointF position, QPoint globalPosition) {
    const auto hit = handlers_.hitAt(position);
    if (!hit || hit->zone != CanvasHit::item || !handlers_.actionable(hit->index)) return;
    // The card would stay painted under the open menu.
    handlers_.hover(std::nullopt);
    handlers_.menu(*hit, globalPosition);
}

}  // namespace korvane
