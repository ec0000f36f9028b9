#pragma once

#include <optional>
#include <vector>

#include <QWidget>

#include "app/presenters/FootprintSegments.h"

namespace korvane {

// One bar split into a segment per development-tool category, each as wide as
// its share of what the scan found; each segment answers a tooltip request
// with "<Title> · <bytes>".
class StackedFootprintBar : public QWidget {
    Q_OBJECT
public:
    explicit StackedFootprintBar(QWidget* parent = nullptr);

    void setSegments(std::vector<FootprintSegment> segments);
    // The segment drawn under the point, if any.
    std::optional<std::size_t> segmentAt(QPointF point) const;
    QString tooltipAt(QPoint point) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QRectF> segmentRects() const;

    std::vector<FootprintSegment> segments_;
};

}  // namespace korvane
