#pragma once

#include "app/canvases/CanvasBase.h"

namespace korvane {

// Stands in for a canvas mode that is not drawn yet: the mode's title,
// quietly, in the middle.
class PendingCanvas : public CanvasBase {
    Q_OBJECT
public:
    PendingCanvas(AppState& state, AppState::CanvasMode mode, QWidget* parent = nullptr);

    std::size_t layoutBuilds() const override { return 0; }
    QRectF itemBounds(std::size_t) override { return {}; }
    const StorageNode* itemNode(std::size_t) override { return nullptr; }

protected:
    std::optional<Hit> hitAt(QPointF) override { return std::nullopt; }
    void paintCanvas(QPainter& painter) override;
    void dropLayout() override {}
};

}  // namespace korvane
