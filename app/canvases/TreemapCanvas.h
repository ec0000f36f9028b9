#pragma once

#include "app/canvases/CanvasBase.h"
#include "app/canvases/layout/TreemapLayout.h"

namespace korvane {

// Squarified tiles for the root's children, with one level of inner tiles in
// each tile that has room. Items are the tiles (0 … tiles − 1) followed by the
// inner tiles. A click selects, a double click drills into any tile or inner
// tile (a leaf only becomes selected). The arrows move among the tiles.
class TreemapCanvas : public LayoutCanvas<TreemapLayout> {
    Q_OBJECT
public:
    explicit TreemapCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const TreemapLayout& currentLayout() { return layout(); }
    // The item index of an inner tile.
    std::size_t innerItem(std::size_t inner) { return layout().tiles.size() + inner; }

protected:
    TreemapLayout buildLayout(const StorageNode& root, QSizeF size) override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void doubleClicked(const Hit& hit) override;
    std::vector<Hit> keyboardTargets() override;
    bool keepsRestingPicture() const override { return true; }
    // A hovered inner tile lightens its whole tile.
    QRectF hoverArea(const Hit& hit) override;

private:
    void paintTile(QPainter& painter, std::size_t index);
    // The tile under the pointer, also while one of its inner tiles is.
    std::optional<std::size_t> hoveredTile();
};

}  // namespace korvane
