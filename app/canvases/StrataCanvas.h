#pragma once

#include "app/canvases/CanvasBase.h"
#include "app/canvases/layout/StrataLayout.h"

namespace korvane {

// Every leaf under the root as a deposit in one of five age bands, recent at
// the top; a band's header selects or deselects all of its candidates. Leaves
// only: the strata never drill.
class StrataCanvas : public LayoutCanvas<StrataLayout> {
    Q_OBJECT
public:
    static constexpr int headerZone = 1;

    explicit StrataCanvas(AppState& state, QWidget* parent = nullptr);

    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    // The layout as drawn at the current size (tests read its shapes).
    const StrataLayout& currentLayout() { return layout(); }
    // Whether the band at this position among the shown ones is fully selected.
    bool isBandFullySelected(std::size_t position);

protected:
    StrataLayout buildLayout(const StorageNode& root, QSizeF size) override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void clicked(const Hit& hit) override;
    bool hasEntrance() const override { return true; }

private:
    void paintHeader(QPainter& painter, const StrataLayout::Band& band, std::size_t position);
    void paintDeposit(QPainter& painter, const StrataLayout::Deposit& deposit, std::size_t index);
    void paintEmptyState(QPainter& painter);
};

}  // namespace korvane
