#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include <QPoint>
#include <QPointF>

namespace korvane {

// What lies under a point of a canvas: an item (a node of the layout,
// addressed by index, never by id) or a zone of the canvas's own, such as the
// strata's band headers.
struct CanvasHit {
    static constexpr int item = 0;
    int zone = item;
    std::size_t index = 0;
    friend bool operator==(const CanvasHit&, const CanvasHit&) = default;
};

// Turns a canvas's pointer events into what they mean: hover changes, clicks
// (on the release of a press that began on the same thing), double clicks,
// node-action menus and, where the canvas pans, drags. It knows nothing of
// painting; the canvas answers what lies under a point.
class CanvasInput {
public:
    struct Handlers {
        // The topmost hit at a point; none over empty room or without a tree.
        std::function<std::optional<CanvasHit>(QPointF)> hitAt;
        // Whether an item offers a menu (the node's actions, or a summing item's folder).
        std::function<bool(std::size_t item)> actionable;
        // Called on every move outside a drag and on leaving; the canvas
        // ignores a hover it already shows.
        std::function<void(std::optional<CanvasHit>)> hover;
        std::function<void(const CanvasHit&)> click;
        std::function<void(const CanvasHit&)> doubleClick;
        std::function<void(const CanvasHit&, QPoint globalPosition)> menu;
        // How far the pointer has moved since the press, while dragging.
        std::function<void(QPointF moved)> drag;
        std::function<void()> dragEnd;
    };

    explicit CanvasInput(Handlers handlers);

    // A press held and moved this far (in pixels) becomes a drag, which is no
    // click; without it the canvas does not drag.
    void setDragThreshold(std::optional<double> threshold) { dragThreshold_ = threshold; }

    void press(QPointF position, Qt::MouseButton button);
    void move(QPointF position, Qt::MouseButtons held);
    void release(QPointF position, Qt::MouseButton button);
    void doubleClick(QPointF position, Qt::MouseButton button);
    void leave();
    void contextMenu(QPointF position, QPoint globalPosition);
    // A press on a tree that has since gone clicks nothing.
    void forgetPress() { pressed_.reset(); }

private:
    Handlers handlers_;
    std::optional<double> dragThreshold_;
    std::optional<CanvasHit> pressed_;
    std::optional<QPointF> dragStart_;
    bool dragging_ = false;
};

}  // namespace korvane
