#pragma once

#include "app/canvases/CanvasBase.h"
#include "app/canvases/layout/SunburstLayout.h"

namespace korvane {

// Rings of sectors around an empty centre that names the selected node (or
// the root). Items are the sectors in pre-order. A click selects, a double
// click drills into any sector; the hover card is placed against the whole
// canvas, as every sector's bounds are the canvas's.
class SunburstCanvas : public LayoutCanvas<SunburstLayout> {
    Q_OBJECT
public:
    explicit SunburstCanvas(AppState& state, QWidget* parent = nullptr);

    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const SunburstLayout& currentLayout() { return layout(); }

protected:
    SunburstLayout buildLayout(const StorageNode& root, QSizeF size) override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void doubleClicked(const Hit& hit) override;
    bool keepsRestingPicture() const override { return true; }
    QRectF hoverArea(const Hit& hit) override;

private:
    void paintCentreLabel(QPainter& painter);
};

}  // namespace korvane
