#include "app/frame/StackedFootprintBar.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

StackedFootprintBar::StackedFootprintBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(8);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StackedFootprintBar::setSegments(std::vector<FootprintSegment> segments) {
    segments_ = std::move(segments);
    QStringList texts;
    for (const auto& segment : segments_) texts << QString::fromStdString(segment.tooltip);
    setAccessibleDescription(texts.join(QStringLiteral(", ")));
    update();
}

std::vector<QRectF> StackedFootprintBar::segmentRects() const {
    std::vector<QRectF> rects;
    double x = 0;
    for (const double w : footprintWidths(segments_, width())) {
        rects.emplace_back(x, 0, w, height());
        x += w + 2;
    }
    return rects;
}

std::optional<std::size_t> StackedFootprintBar::segmentAt(QPointF point) const {
    const auto rects = segmentRects();
    for (std::size_t i = 0; i < rects.size(); ++i)
        if (point.x() >= rects[i].left() && point.x() < rects[i].right()) return i;
    return std::nullopt;
}

QString StackedFootprintBar::tooltipAt(QPoint point) const {
    const auto segment = segmentAt(point);
    return segment ? QString::fromStdString(segments_[*segment].tooltip) : QString();
}

bool StackedFootprintBar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = tooltipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            // Escaped and held in a plain paragraph: a tooltip is read as rich text when it looks like it.
            QToolTip::showText(help->globalPos(), QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()),
                               this, rect());
        return true;
    }
    return QWidget::event(event);
}

void StackedFootprintBar::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const auto rects = segmentRects();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        painter.setBrush(palette.colorForCategory(segments_[i].category));
        painter.drawRoundedRect(rects[i], 2.5, 2.5);
    }
}

}  // namespace korvane
