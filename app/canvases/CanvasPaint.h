#pragma once

#include <string_view>

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>

#include "core/model/Categories.h"

class QPainter;

namespace korvane {

struct Palette;

// Small drawing steps the canvases share. Texts are data: always drawn as
// plain text, on one line, elided when they do not fit.

QString canvasText(std::string_view text);
// A name as one line that still shows all it holds: a line break drawn as
// "⏎", a tab as "⇥" (as the review and the file lists show them), rather
// than breaking the label or running its parts together.
QString oneLineLabel(const QString& text);

// A colour at a fraction of its opacity; fractions above 1 (some fills are
// not capped) give the colour itself.
QColor tinted(const QColor& color, double opacity);

// A rounded rectangle filled with a colour.
void fillRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& color);
// Its outline stroked inside its edge, so a wider line never spills out.
void strokeInside(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double lineWidth);

// A label as the label rule shows it in `width` (whole, cut at its end, or
// empty), and the same over several lines (see app/presenters/LabelFit.h).
QString fittedText(const QString& text, const QFont& font, double width);
QStringList fittedTextLines(const QString& text, const QFont& font, double width, int maxLines);

// One line in `rect`, elided to its width; returns the width drawn.
double drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, const QColor& color,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                Qt::TextElideMode elide = Qt::ElideRight);
// A symbol from the icon font centred in `rect`.
void drawSymbol(QPainter& painter, const QRectF& rect, std::string_view name, double size, const QColor& color);
// The small capsule naming a safety level, its left edge at `left`, centred on `centreY`.
void drawSafetyTag(QPainter& painter, double left, double centreY, SafetyLevel safety, const Palette& palette);

}  // namespace korvane
