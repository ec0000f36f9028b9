#pragma once

#include <optional>
#include <string>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/layout/MindMapLayout.h"

class QLabel;
class QToolButton;

namespace korvane {

class MotionAnimation;

// The radial map: the root's dot in the centre, rings of children around it
// joined by links. It zooms from 40 % to 400 % (buttons, Ctrl + wheel, pinch)
// and pans by dragging past 10 points; a new root puts both back at rest and
// replays the entrance. Items are the dots in placement order. A click
// selects, and on an inner dot other than the centre also drills in; the
// arrows move to the nearest dot that way, and Return drills as a click. The
// zoom buttons move the view on the quick spring and "Reset view" on the
// gentle one; pinch, Ctrl + wheel and drags follow the hand at once.
class MindMapCanvas : public LayoutCanvas<MindMapLayout> {
    Q_OBJECT
public:
    static constexpr double dragThreshold = 10;

    explicit MindMapCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const MindMapLayout& currentLayout() { return layout(); }

    // Where the view is going (the readout shows it at once) …
    double zoom();
    QPointF pan();
    // … and where it is drawn at this moment, on its way there.
    double shownZoom() const;
    QPointF shownPan() const;
    // Multiplies the zoom, kept within 0.4 … 4, on the quick spring; the buttons use 1.3 and 1 / 1.3.
    void zoomBy(double factor);
    // Back to 100 % and no pan: on the gentle spring when `animated`, else at once.
    void resetView(bool animated = false);
    QToolButton* zoomOutButton() const { return zoomOut_; }
    QToolButton* zoomInButton() const { return zoomIn_; }
    QToolButton* resetButton() const { return reset_; }
    QLabel* zoomReadout() const { return readout_; }

protected:
    MindMapLayout buildLayout(const StorageNode& root, QSizeF size) override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void clicked(const Hit& hit) override;
    std::vector<Hit> keyboardTargets() override;
    QRectF targetRect(const Hit& hit) override;
    std::optional<Hit> step(const Hit& from, KeyboardStep::Direction direction) override {
        return stepAmong(from, direction, true);
    }
    void activated(const Hit& hit) override { clicked(hit); }
    // Pans a dot out of sight back into view.
    void reveal(const Hit& hit) override;
    bool hasEntrance() const override { return true; }
    bool keepsRestingPicture() const override { return true; }
    QRectF hoverArea(const Hit& hit) override;
    QTransform restingView() const override { return viewTransform(); }

    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragged(QPointF moved) override;
    void dragEnded() override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A root with another id puts the view back at rest (checked lazily: the
    // root arrives through the shared canvas interface).
    void followRoot();
    void setZoom(double zoom, bool commit, const Motion* motion = nullptr);
    // The drawn view follows zoom and pan along `motion`, or at once without one.
    void moveView(const Motion* motion);
    void showZoom();
    void restyle();
    void placeToolbar();
    // Screen position of a map point after the entrance's scale, zoom and pan.
    QTransform viewTransform() const;

    double zoom_ = 1;
    double committedZoom_ = 1;
    QPointF pan_;
    QPointF committedPan_;
    std::optional<std::string> rootID_;
    MotionAnimation* shownZoom_;
    MotionAnimation* shownPan_;

    QWidget* toolbar_;
    QToolButton* zoomOut_;
    QLabel* readout_;
    QToolButton* zoomIn_;
    QWidget* divider_;
    QToolButton* reset_;
};

}  // namespace korvane
