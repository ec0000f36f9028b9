#pragma once

#include "app/canvases/ScrollingCanvas.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/FoldersLayout.h"

namespace korvane {

// The root's children as folder-shaped tiles in adaptive columns under a
// "Folders" heading, or "Nothing to open" when none holds a byte. Only the
// tiles in view are painted. A click selects, a double click drills into a
// tile with children; a hovered tile grows a little.
class FoldersCanvas : public ScrollingCanvas {
    Q_OBJECT
public:
    explicit FoldersCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    std::size_t layoutBuilds() const override { return cache_.builds(); }
    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const FoldersLayout& currentLayout() { return layout(); }
    // A tile's hovered growth and its border's opacity as drawn at this moment.
    double shownTileScale(std::size_t index) const;
    double shownTileBorder(std::size_t index);

protected:
    double contentHeight() override { return layout().isEmpty() ? 0 : layout().contentHeight(); }
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void dropLayout() override { cache_.invalidate(); }
    void doubleClicked(const Hit& hit) override;
    std::vector<Hit> keyboardTargets() override;
    QString restingDescription() override;
    bool keepsRestingPicture() const override { return true; }
    QRectF hoverArea(const Hit& hit) override;
    QTransform restingView() const override { return QTransform::fromTranslate(0, -scrollTop()); }
    void prepareLayout() override {
        if (root()) layout();
    }

private:
    const FoldersLayout& layout();
    void paintHeader(QPainter& painter);
    void paintTile(QPainter& painter, std::size_t index);
    void paintEmptyState(QPainter& painter);

    CanvasLayoutCache<FoldersLayout> cache_;
};

}  // namespace korvane
