#pragma once

#include <vector>

#include <QImage>
#include <QString>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/layout/SunburstLayout.h"

namespace korvane {

// Rings of sectors around an empty centre that names the selected node (or
// the root). Items are the sectors in pre-order. A click selects, a double
// click drills into any sector; the hover card is placed against the whole
// canvas, as every sector's bounds are the canvas's. From the keyboard, Left
// and Right go round the ring (Right clockwise, on past twelve o'clock), Up
// goes in to the sector's parent and Down out to its first child.
class SunburstCanvas : public LayoutCanvas<SunburstLayout> {
    Q_OBJECT
public:
    explicit SunburstCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const SunburstLayout& currentLayout() { return layout(); }

protected:
    SunburstLayout buildLayout(const StorageNode& root, QSizeF size) override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void doubleClicked(const Hit& hit) override;
    std::vector<Hit> keyboardTargets() override;
    QRectF targetRect(const Hit& hit) override;
    std::optional<Hit> step(const Hit& from, KeyboardStep::Direction direction) override;
    QString restingDescription() override;
    bool keepsRestingPicture() const override { return true; }
    QRectF hoverArea(const Hit& hit) override;

private:
    struct ArcLabel {
        std::size_t arc = 0;
        SunburstLayout::Label place;
        QString text;  // the name, shortened at its end to the room
    };

    void paintCentreLabel(QPainter& painter);
    void paintArcLabels(QPainter& painter, const SunburstLayout& sun);
    // The names written on sectors, found once per layout.
    const std::vector<ArcLabel>& arcLabels(const SunburstLayout& sun);

    std::vector<ArcLabel> labels_;
    std::size_t labelsBuild_ = 0;
    // Turned text is drawn glyph by glyph as paths: the labels are drawn
    // once per layout, theme and pixel ratio into this layer and blitted.
    QImage labelLayer_;
    std::size_t layerBuild_ = 0;
    const Palette* layerPalette_ = nullptr;
    double layerRatio_ = 0;
};

}  // namespace korvane
