#pragma once

#include "app/canvases/CanvasBase.h"

class QScrollBar;

namespace korvane {

// A canvas whose content is taller than its window onto it (the bars, the
// table, the folders grid): a scroll bar along the right edge, a fixed band
// at the top (a pinned column header, or none) and content below it that
// scrolls. Only what lies in view is painted, so a list of 100,000 rows
// costs what a screenful does.
class ScrollingCanvas : public CanvasBase {
    Q_OBJECT
public:
    ScrollingCanvas(const CanvasParts& parts, CanvasMode mode, QWidget* parent = nullptr);

    QScrollBar* scrollBar() const { return scrollBar_; }
    double scrollTop() const;
    void scrollTo(double top);

protected:
    // The height of the scrolling content, and of the band pinned above it.
    virtual double contentHeight() = 0;
    virtual double pinnedHeight() const { return 0; }
    // The width content is laid out in: the scroll bar takes its own strip.
    double contentWidth() const;

    // From the widget's coordinates into the content's, and back.
    QPointF toContent(QPointF point) const;
    QRectF fromContent(const QRectF& rect) const;
    // The content's rows in view: [top, top + height) in content coordinates.
    double viewTop() const { return scrollTop(); }
    double viewHeight() const;

    // Keeps the scroll bar's range in step with the content; call when the
    // content's height may have changed (a new layout).
    void followContentHeight();

    // Scrolls the least that shows the whole target (its top, when taller than the view).
    void reveal(const Hit& hit) override;

    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QScrollBar* scrollBar_;
};

}  // namespace korvane
