#pragma once

#include <vector>

#include <QRectF>

#include "app/canvases/ScrollingCanvas.h"
#include "app/canvases/layout/AgeMapLayout.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/MonthGridLayout.h"

namespace korvane {

// "Where your bytes sit on a timeline": a scrolling page of three panels —
// bytes by age bucket, bytes by last-modified month, and the big items left
// alone for over a year. From 720 points wide the third panel stands 320
// wide beside the other two; narrower, all three stack. Only the rows of the
// third panel are items (hover, card, click to select, context menu); the
// month cells only answer with a tooltip. Nothing drills.
class AgeMapCanvas : public ScrollingCanvas {
    Q_OBJECT
public:
    // The panels and rows as placed for one width, in content coordinates.
    struct Page {
        AgeMapLayout ages;
        MonthGridLayout months;
        bool isWide = false;
        QRectF bucketPanel, monthPanel, bigPanel;
        std::vector<QRectF> bucketRows;  // label, bar, size and share across
        std::vector<int> years;          // the month grid's rows, newest first
        std::vector<QRectF> yearRows;
        QRectF monthHeader, legend;
        std::vector<QRectF> itemRows;    // one per big-and-untouched node
        QRectF untouchedNote;            // the sentence in place of an empty list, on as many lines as it needs
        double height = 0;

        // The month cell of a year row (month 1 to 12).
        QRectF monthCell(std::size_t yearRow, int month) const;
    };

    explicit AgeMapCanvas(const CanvasParts& parts, QWidget* parent = nullptr);

    std::size_t layoutBuilds() const override { return cache_.builds(); }
    QRectF itemBounds(std::size_t item) override;
    const StorageNode* itemNode(std::size_t item) override;
    const Page& currentPage() { return page(); }
    // The tooltip of the month cell under a point, if any.
    std::optional<QString> monthTooltipAt(QPointF point);

protected:
    double contentHeight() override { return page().height; }
    std::optional<Hit> hitAt(QPointF point) override;
    void paintCanvas(QPainter& painter) override;
    void dropLayout() override { cache_.invalidate(); }
    bool event(QEvent* event) override;
    QString restingDescription() override;
    std::vector<Hit> keyboardTargets() override;

private:
    const Page& page();
    Page buildPage(const StorageNode& root, double width);
    void paintPanel(QPainter& painter, const QRectF& panel);
    void paintBuckets(QPainter& painter, const Page& page);
    void paintMonths(QPainter& painter, const Page& page);
    void paintBigUntouched(QPainter& painter, const Page& page);

    CanvasLayoutCache<Page> cache_;
};

}  // namespace korvane
