#include "app/canvases/ScrollingCanvas.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace korvane {

ScrollingCanvas::ScrollingCanvas(const CanvasParts& parts, CanvasMode mode, QWidget* parent)
    : CanvasBase(parts, mode, parent), scrollBar_(new QScrollBar(Qt::Vertical, this)) {
    scrollBar_->setSingleStep(20);
    scrollBar_->setRange(0, 0);
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this] { update(); });
}

double ScrollingCanvas::scrollTop() const { return scrollBar_->value(); }

void ScrollingCanvas::scrollTo(double top) { scrollBar_->setValue(static_cast<int>(std::lround(top))); }

double ScrollingCanvas::contentWidth() const {
    return std::max(width() - (scrollBar_->isVisibleTo(this) ? scrollBar_->sizeHint().width() : 0), 0);
}

double ScrollingCanvas::viewHeight() const { return std::max(height() - pinnedHeight(), 0.0); }

QPointF ScrollingCanvas::toContent(QPointF point) const {
    return point + QPointF(0, scrollTop() - pinnedHeight());
}

QRectF ScrollingCanvas::fromContent(const QRectF& rect) const {
    return rect.translated(0, pinnedHeight() - scrollTop());
}

void ScrollingCanvas::followContentHeight() {
    const double overflow = root() ? contentHeight() - viewHeight() : 0;
    const int maximum = std::max(static_cast<int>(std::ceil(overflow)), 0);
    if (scrollBar_->maximum() != maximum) scrollBar_->setRange(0, maximum);
    scrollBar_->setPageStep(static_cast<int>(viewHeight()));
    const bool needed = maximum > 0;
    if (needed != scrollBar_->isVisibleTo(this)) {
        scrollBar_->setVisible(needed);
        // The content's width changed with the bar: lay it out again.
        dropLayout();
        update();
    }
    const int barWidth = scrollBar_->sizeHint().width();
    scrollBar_->setGeometry(width() - barWidth, static_cast<int>(pinnedHeight()), barWidth,
                            static_cast<int>(viewHeight()));
}

void ScrollingCanvas::reveal(const Hit& hit) {
    followContentHeight();
    const QRectF target = targetRect(hit);
    if (target.isEmpty()) return;
    const double top = pinnedHeight();
    if (target.top() < top)
        scrollTo(scrollTop() - (top - target.top()));
    else if (target.bottom() > height())
        scrollTo(scrollTop() + std::min(target.bottom() - height(), target.top() - top));
}

void ScrollingCanvas::resizeEvent(QResizeEvent* event) {
    CanvasBase::resizeEvent(event);
    followContentHeight();
}

void ScrollingCanvas::wheelEvent(QWheelEvent* event) {
    if (!scrollBar_->isVisibleTo(this)) return event->ignore();
    QApplication::sendEvent(scrollBar_, event);
}

}  // namespace korvane
