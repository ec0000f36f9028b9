#pragma once

#include <set>
#include <string>

#include "app/canvases/ScrollingCanvas.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/TableLayout.h"

namespace korvane {

// The outline table: a row per child of the root and, under opened rows,
// what they hold at any depth, under a pinned column header. A click selects a row and
// opens or closes it when it has children; every row has the context menu.
// No hover card, no hover highlight, no drilling. From the keyboard, Up and
// Down move between rows, Right opens a row (then goes to its first child),
// Left closes it (or goes to its parent), and Return or Space open or close.
class TableCanvas : public ScrollingCanvas {
    Q_OBJECT
public:
    explicit TableCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    std::size_t layoutBuilds() const override { return cache_.builds(); }
    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    CanvasItemReading reading(const Hit& hit) override;
    const TableLayout& currentLayout() { return layout(); }
    const std::set<std::string>& expanded() const { return expanded_; }
    double headerHeight() const { return pinnedHeight(); }

protected:
    double contentHeight() override { return layout().contentHeight(); }
    double pinnedHeight() const override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void dropLayout() override { cache_.invalidate(); }
    void clicked(const Hit& hit) override;
    std::vector<Hit> keyboardTargets() override;
    std::optional<Hit> step(const Hit& from, KeyboardStep::Direction direction) override;
    void activated(const Hit& hit) override;
    void doubleClicked(const Hit& hit) override;
    bool showsHoverCard() const override { return false; }
    bool selectsOnMenu() const override { return true; }

private:
    const TableLayout& layout();
    void paintHeader(QPainter& painter);
    void paintRow(QPainter& painter, std::size_t index);

    // Opened rows live as long as the canvas, across drills.
    std::set<std::string> expanded_;
    CanvasLayoutCache<TableLayout> cache_;
};

}  // namespace korvane
