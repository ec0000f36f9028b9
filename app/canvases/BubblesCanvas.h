#pragma once

#include "app/canvases/CanvasBase.h"
#include "app/canvases/layout/BubblesLayout.h"

namespace korvane {

// Nested circles down to four levels below the root, growing in level by
// level on appear and on a new root. The packing is built once per root and
// size; hover and selection only repaint, over the picture at rest. Items
// are the circles in pre-order.
// A click selects, and on a folder other than the root also drills in. The
// arrows move among the root's own bubbles; Return drills as a click does.
class BubblesCanvas : public LayoutCanvas<BubblesLayout> {
    Q_OBJECT
public:
    explicit BubblesCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const BubblesLayout& currentLayout() { return layout(); }

protected:
    BubblesLayout buildLayout(const StorageNode& root, QSizeF size) override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void clicked(const Hit& hit) override;
    std::vector<Hit> keyboardTargets() override;
    void activated(const Hit& hit) override { clicked(hit); }
    const StorageNode* summedFolder(std::size_t item) override;
    bool hasEntrance() const override { return true; }
    // Nested bubbles drawn to scale are many: at rest they are one picture.
    bool keepsRestingPicture() const override { return true; }

private:
    void paintLabel(QPainter& painter, const BubblesLayout::Circle& circle, QPointF centre, double scale);
};

}  // namespace korvane
