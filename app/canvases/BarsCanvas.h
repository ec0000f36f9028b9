#pragma once

#include "app/canvases/ScrollingCanvas.h"
#include "app/canvases/layout/BarsLayout.h"
#include "app/canvases/layout/CanvasLayoutCache.h"

namespace korvane {

// "Top Sizes": the root's children ranked as rows with a size bar and a
// stronger reclaimable bar, under a pinned column header. A click selects, a
// double click drills in (leaves too); no hover card and no context menu.
class BarsCanvas : public ScrollingCanvas {
    Q_OBJECT
public:
    explicit BarsCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    std::size_t layoutBuilds() const override { return cache_.builds(); }
    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const BarsLayout& currentLayout() { return layout(); }
    // The first row's top edge in widget coordinates, under the header.
    double headerHeight() const { return pinnedHeight(); }

protected:
    double contentHeight() override { return layout().contentHeight(); }
    double pinnedHeight() const override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void dropLayout() override { cache_.invalidate(); }
    void doubleClicked(const Hit& hit) override;
    bool showsHoverCard() const override { return false; }
    void contextMenuEvent(QContextMenuEvent* event) override;
    std::vector<Hit> keyboardTargets() override;
    bool offersMenu() const override { return false; }

private:
    const BarsLayout& layout();
    void paintRow(QPainter& painter, std::size_t index, const BarsLayout::Columns& columns);
    void paintHeader(QPainter& painter, const BarsLayout::Columns& columns);

    CanvasLayoutCache<BarsLayout> cache_;
};

}  // namespace korvane
