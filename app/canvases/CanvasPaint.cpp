#include "app/canvases/CanvasPaint.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "app/presenters/LabelFit.h"
#include "app/presenters/OneLineText.h"
#include "app/theme/AppFont.h"
#include "app/theme/SafetyTagLook.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {

QString canvasText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString oneLineLabel(const QString& text) {
    const bool plain = std::none_of(text.begin(), text.end(),
                                    [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (plain) return text;
    return QString::fromStdString(oneLineText(text.toStdString()));
}

QString fittedText(const QString& text, const QFont& font, double width) {
    const QFontMetricsF metrics(font);
    return fittedLabel(oneLineLabel(text), width,
                       [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
}

QStringList fittedTextLines(const QString& text, const QFont& font, double width, int maxLines) {
    const QFontMetricsF metrics(font);
    return fittedLines(oneLineLabel(text), width, maxLines,
                       [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
}

QColor tinted(const QColor& color, double opacity) {
    QColor result = color;
    result.setAlphaF(static_cast<float>(color.alphaF() * std::clamp(opacity, 0.0, 1.0)));
    return result;
}

void fillRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(rect, radius, radius);
}

void strokeInside(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double lineWidth) {
    const double inset = lineWidth / 2;
    const QRectF inner = rect.adjusted(inset, inset, -inset, -inset);
    if (inner.width() <= 0 || inner.height() <= 0 || color.alpha() == 0) return;
    painter.setPen(QPen(color, lineWidth));
    painter.setBrush(Qt::NoBrush);
    const double r = std::max(radius - inset, 0.0);
    painter.drawRoundedRect(inner, r, r);
}

double drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, const QColor& color,
                Qt::Alignment alignment, Qt::TextElideMode elide) {
    if (rect.width() <= 0) return 0;
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(oneLineLabel(text), elide, rect.width());
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, static_cast<int>(alignment) | Qt::TextSingleLine, shown);
    return metrics.horizontalAdvance(shown);
}

void drawSymbol(QPainter& painter, const QRectF& rect, std::string_view name, double size, const QColor& color) {
    painter.setFont(symbolFont(size));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, symbolText(name));
}

void drawSafetyTag(QPainter& painter, double left, double centreY, SafetyLevel safety, const Palette& palette) {
    const SafetyTagLook look = safetyTagLook(safety, palette);
    const QFont font = AppFont::font(10, QFont::Medium);
    const QString title = canvasText(look.title);
    const QFontMetricsF metrics(font);
    const double height = metrics.height() + 6;
    const double width = 7 + 9 + 4 + metrics.horizontalAdvance(title) + 7;
    const QRectF tag(left, centreY - height / 2, width, height);
    fillRounded(painter, tag, height / 2, look.background);
    drawSymbol(painter, QRectF(tag.left() + 7, tag.top(), 9, tag.height()), look.symbol, 9, look.tint);
    drawLine(painter, QRectF(tag.left() + 20, tag.top(), width - 27, tag.height()), title, font, look.tint);
}

}  // namespace korvane
