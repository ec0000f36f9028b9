#pragma once

#include "app/canvases/ScrollingCanvas.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/FlameLayout.h"

namespace korvane {

// One row of cells per depth, the root across the top; rows fade in one
// after another on appear and on a new root. Items are the cells in
// pre-order. A click selects, a double click drills into a cell with
// children; the rows scroll when the tree is deeper than the canvas is tall.
class FlameCanvas : public ScrollingCanvas {
    Q_OBJECT
public:
    explicit FlameCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    std::size_t layoutBuilds() const override { return cache_.builds(); }
    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const FlameLayout& currentLayout() { return layout(); }

protected:
    double contentHeight() override { return layout().contentHeight; }
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void dropLayout() override { cache_.invalidate(); }
    void doubleClicked(const Hit& hit) override;
    std::vector<Hit> keyboardTargets() override;
    bool hasEntrance() const override { return true; }

private:
    const FlameLayout& layout();

    CanvasLayoutCache<FlameLayout> cache_;
};

}  // namespace korvane
