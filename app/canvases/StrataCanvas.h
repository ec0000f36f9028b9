#pragma once

#include <vector>

#include <QImage>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/layout/StrataLayout.h"

namespace korvane {

// Every leaf under the root as a deposit in one of five age bands, recent at
// the top; a band's header selects or deselects all of its candidates. Leaves
// only: the strata never drill. The arrows reach the headers that offer a
// selection and the tiles on screen; Space or Return on a header works it.
class StrataCanvas : public LayoutCanvas<StrataLayout> {
    Q_OBJECT
public:
    static constexpr int headerZone = 1;

    explicit StrataCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    // The layout as drawn at the current size (tests read its shapes).
    const StrataLayout& currentLayout() { return layout(); }
    // Whether the band at this position among the shown ones is fully selected.
    bool isBandFullySelected(std::size_t position);
    // How far the header at this position shows its hovered hint and mark (0…1).
    double shownHeaderHover(std::size_t position) const;
    // A deposit's border opacity as drawn at this moment.
    double shownTileBorder(std::size_t deposit);
    // Whether a click on the header at this position selects anything: only
    // a band holding candidates that are not protected. Only such a header
    // takes the pointer, shows the hint and help, and is a keyboard stop.
    bool headerSelects(std::size_t position);
    // The help for the point: a header's that selects, else none.
    QString helpAt(QPointF point);
    CanvasItemReading reading(const Hit& hit) override;

protected:
    bool event(QEvent* event) override;
    StrataLayout buildLayout(const StorageNode& root, QSizeF size) override;
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void clicked(const Hit& hit) override;
    bool hasEntrance() const override { return true; }
    QString restingDescription() override;
    QRectF hoverArea(const Hit& hit) override;
    HoverCardContent hoverContent(std::size_t item) override;
    std::vector<Hit> keyboardTargets() override;
    QRectF targetRect(const Hit& hit) override;
    void chosen(const Hit& hit) override;
    void activated(const Hit& hit) override;
    const StorageNode* summedFolder(std::size_t item) override;

private:
    // A band's tiles in their resting look, drawn once per layout, theme and
    // pixel ratio: a tall translucent shape costs Qt's raster engine far more
    // than blitting it, and a band holds hundreds of them. Hovered and
    // selected tiles are drawn live through holes left in it.
    struct RestingBand {
        struct Label {
            std::size_t deposit = 0;
            QString symbol;
            QString name;  // elided to the tile
        };
        QImage tiles;  // device pixels, from `origin`
        QPoint origin;
        std::vector<Label> labels;
    };

    const std::vector<RestingBand>& restingBands(const StrataLayout& strata, double ratio);
    RestingBand drawRestingBand(const StrataLayout& strata, const StrataLayout::Band& band, double ratio);
    // One past the last deposit of the band that starts inside the canvas.
    std::size_t visibleEnd(const StrataLayout& strata, const StrataLayout::Band& band) const;
    void paintHeader(QPainter& painter, const StrataLayout::Band& band, std::size_t position);
    void paintDeposits(QPainter& painter, const StrataLayout& strata, const StrataLayout::Band& band,
                       const RestingBand& resting);
    void paintTile(QPainter& painter, const StrataLayout::Deposit& deposit, const QRectF& rect, double hover,
                   double selected);
    void paintLabel(QPainter& painter, const StrataLayout::Deposit& deposit, const QRectF& rect,
                    const RestingBand::Label& label);
    void paintEmptyState(QPainter& painter);

    std::vector<RestingBand> resting_;
    // What the resting images were drawn for.
    std::size_t restingBuild_ = 0;
    const Palette* restingPalette_ = nullptr;
    double restingRatio_ = 0;
};

}  // namespace korvane
