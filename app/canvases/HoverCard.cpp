#include "app/canvases/HoverCard.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/presenters/LabelFit.h"
#include "app/theme/AppFont.h"
#include "app/theme/Palette.h"
#include "app/theme/SafetyTagLook.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }
QString text(std::string_view value) { return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())); }

const QFont& nameFont() {
    static const QFont font = AppFont::font(11.5, QFont::DemiBold);
    return font;
}
const QFont& numberFont() {
    static const QFont font = AppFont::font(16, QFont::DemiBold);
    return font;
}
const QFont& unitFont() {
    static const QFont font = AppFont::font(9.5, QFont::Medium);
    return font;
}
const QFont& tagFont() {
    static const QFont font = AppFont::font(10, QFont::Medium);
    return font;
}

// The safety tag as the kit draws it: symbol and title in a tinted capsule.
QSizeF tagSize(std::string_view title) {
    const QFontMetricsF metrics(tagFont());
    return {7 + 9 + 4 + metrics.horizontalAdvance(text(title)) + 7, metrics.height() + 6};
}

double nameWidth(const HoverCardContent& content) {
    return QFontMetricsF(nameFont()).horizontalAdvance(text(content.name));
}

double symbolExtras(const HoverCardContent& content) { return content.category ? 10 + 5 : 0; }

double tagExtras(const HoverCardContent& content) {
    return content.safety ? 6 + tagSize(title(*content.safety)).width() : 0;
}

// A name too long to stand beside its safety tag even in the widest card
// keeps the whole line, and the tag moves to a line of its own below it.
bool tagOnOwnLine(const HoverCardContent& content) {
    return content.safety && symbolExtras(content) + nameWidth(content) + tagExtras(content) > HoverCard::widestContent;
}

double nameTextHeight() { return QFontMetricsF(nameFont()).height(); }

// The name on one line while it fits the widest card; a longer one on two
// lines of it, broken where it breaks, and shortened in its middle past them.
QStringList nameLines(const HoverCardContent& content) {
    const QString name = text(content.name);
    const double room = HoverCard::widestContent - symbolExtras(content);
    if (nameWidth(content) <= room) return {name};
    const QFontMetricsF metrics(nameFont());
    return middleCutLines(name, room, 2,
                          [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
}

double nameLineHeight(const HoverCardContent& content, const QStringList& nameLines) {
    double height = nameTextHeight() * static_cast<double>(std::max<qsizetype>(nameLines.size(), 1));
    if (content.safety && !tagOnOwnLine(content)) height = std::max(height, tagSize(title(*content.safety)).height());
    return height;
}

constexpr double tagLineGap = 3;

double tagLineHeight(const HoverCardContent& content) {
    return tagOnOwnLine(content) ? tagLineGap + tagSize(title(*content.safety)).height() : 0;
}

double detailLineHeight() { return QFontMetricsF(AppFont::small()).height(); }

constexpr double folderLineGap = 2;

// What the name line needs beside the name: the category symbol before it,
// and the gap and safety tag after it while they share the line.
double nameLineExtras(const HoverCardContent& content) {
    return symbolExtras(content) + (tagOnOwnLine(content) ? 0 : tagExtras(content));
}

// The width of every line but the name's, as it would be drawn on one line.
double otherLinesWidth(const HoverCardContent& content) {
    const QFontMetricsF small(AppFont::small());
    const double sizeLine = QFontMetricsF(numberFont()).horizontalAdvance(text(content.number)) + 4 +
                            QFontMetricsF(unitFont()).horizontalAdvance(text(content.unit)) + 4 +
                            small.horizontalAdvance(text(content.share));
    double detailLine = 0;
    if (content.reclaimable) detailLine += small.horizontalAdvance(text(*content.reclaimable)) + 8;
    if (content.date) detailLine += small.horizontalAdvance(text(*content.date));
    const double folderLine = content.folder ? small.horizontalAdvance(text(*content.folder)) : 0;
    const double spanLine = content.ageSpan ? small.horizontalAdvance(text(*content.ageSpan)) : 0;
    return std::max({sizeLine, detailLine, folderLine, spanLine});
}

double cardHeight(const HoverCardContent& content, const HoverCard::Lines& lines) {
    double height = HoverCard::verticalPadding + nameLineHeight(content, lines.name) +
                    tagLineHeight(content) + 4 + QFontMetricsF(numberFont()).height();
    if (content.reclaimable || content.date) height += 3 + detailLineHeight();
    if (content.ageSpan) height += 2 + detailLineHeight();
    if (!lines.folder.isEmpty())
        height += folderLineGap + detailLineHeight() * static_cast<double>(lines.folder.size());
    return height + HoverCard::verticalPadding;
}

// The panel with a soft shadow below it: a few widening rounded rectangles.
void paintPanel(QPainter& painter, const QRectF& card, const Palette& palette) {
    const double radius = palette.radius;
    const double shadowOpacity = palette.isDark ? 0.55 : 0.16;
    painter.setPen(Qt::NoPen);
    for (int step = 0; step < 7; ++step) {
        const double spread = 2.0 * step;
        painter.setBrush(QColor(0, 0, 0, static_cast<int>(255 * shadowOpacity / 7 * (1 - step / 7.0))));
        painter.drawRoundedRect(card.translated(0, 5).adjusted(-spread, -spread, spread, spread),
                                radius + spread, radius + spread);
    }
    painter.setBrush(palette.panel);
    painter.setPen(QPen(palette.hairline, 1));
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void paintTag(QPainter& painter, const QRectF& tagRect, const SafetyTagLook& look) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.background);
    painter.drawRoundedRect(tagRect, tagRect.height() / 2, tagRect.height() / 2);
    painter.setPen(look.tint);
    painter.setFont(symbolFont(9));
    painter.drawText(QRectF(tagRect.left() + 7, tagRect.top(), 9, tagRect.height()), Qt::AlignCenter,
                     symbolText(look.symbol));
    painter.setFont(tagFont());
    painter.drawText(QRectF(tagRect.left() + 20, tagRect.top(), tagRect.width() - 27, tagRect.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, text(look.title));
}

// Name line: category symbol, name, safety tag at the right end (or on its
// own line below). Gives the top of the size line.
double paintNameLine(QPainter& painter, double left, double right, double y, const HoverCardContent& content,
                     const QStringList& lines, const Palette& palette) {
    const double nameHeight = nameLineHeight(content, lines);
    // Several lines of name each take a line's height; one takes the whole line beside the tag.
    const double lineHeight = lines.size() > 1 ? nameTextHeight() : nameHeight;
    double x = left;
    if (content.category) {
        painter.setFont(symbolFont(9));
        painter.setPen(palette.colorForCategory(*content.category));
        painter.drawText(QRectF(x, y, 10, lineHeight), Qt::AlignCenter,
                         symbolText(symbolName(*content.category)));
        x += 10 + 5;
    }
    double nameRight = right;
    if (content.safety) {
        const SafetyTagLook look = safetyTagLook(*content.safety, palette);
        const QSizeF tag = tagSize(look.title);
        const bool ownLine = tagOnOwnLine(content);
        const QRectF tagRect = ownLine ? QRectF(left, y + nameHeight + tagLineGap, tag.width(), tag.height())
                                       : QRectF(right - tag.width(), y + (nameHeight - tag.height()) / 2,
                                                tag.width(), tag.height());
        paintTag(painter, tagRect, look);
        if (!ownLine) nameRight = tagRect.left() - 6;
    }
    painter.setFont(nameFont());
    painter.setPen(palette.ink);
    // Measured and broken the way the card's width was chosen, so a name
    // that made the card grow is never cut by rounding.
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(
            QRectF(x, y + lineHeight * static_cast<double>(i), std::max(nameRight - x, 0.0) + 1, lineHeight),
            Qt::AlignVCenter | Qt::AlignLeft, lines[i]);
    return y + nameHeight + tagLineHeight(content) + 4;
}

// Size line on one baseline: number, unit, share. Gives the line's bottom.
double paintSizeLine(QPainter& painter, double left, double y, const HoverCardContent& content,
                     const Palette& palette) {
    const QFontMetricsF numberMetrics(numberFont());
    const double baseline = y + numberMetrics.ascent();
    double x = left;
    painter.setFont(numberFont());
    painter.setPen(palette.ink);
    painter.drawText(QPointF(x, baseline), text(content.number));
    x += numberMetrics.horizontalAdvance(text(content.number)) + 4;
    painter.setFont(unitFont());
    painter.setPen(palette.inkSecondary);
    painter.drawText(QPointF(x, baseline), text(content.unit));
    x += QFontMetricsF(unitFont()).horizontalAdvance(text(content.unit)) + 4;
    painter.setFont(AppFont::small());
    painter.setPen(palette.inkTertiary);
    painter.drawText(QPointF(x, baseline), text(content.share));
    return y + numberMetrics.height();
}

// Detail line: reclaimable bytes and the age.
void paintDetailLine(QPainter& painter, double left, double right, double y, const HoverCardContent& content,
                     const Palette& palette) {
    double x = left;
    const QFontMetricsF metrics(AppFont::small());
    painter.setFont(AppFont::small());
    if (content.reclaimable) {
        painter.setPen(palette.accent);
        painter.drawText(QPointF(x, y + metrics.ascent()), text(*content.reclaimable));
        x += metrics.horizontalAdvance(text(*content.reclaimable)) + 8;
    }
    if (content.date) {
        painter.setPen(palette.inkTertiary);
        painter.drawText(QPointF(x, y + metrics.ascent()),
                         metrics.elidedText(text(*content.date), Qt::ElideRight, std::max(right - x, 0.0)));
    }
}

// Small lines in the tertiary ink below the others: the ages an item's
// bytes span, the folder it lies in.
void paintNoteLines(QPainter& painter, double left, double y, const QStringList& lines,
                    const Palette& palette) {
    const QFontMetricsF metrics(AppFont::small());
    painter.setFont(AppFont::small());
    painter.setPen(palette.inkTertiary);
    for (const QString& line : lines) {
        painter.drawText(QPointF(left, y + metrics.ascent()), line);
        y += metrics.height();
    }
}

}  // namespace

HoverCard::Lines HoverCard::lines(const HoverCardContent& content) {
    Lines lines;
    lines.name = nameLines(content);
    const double nameLine =
        lines.name.size() > 1 ? widestContent : nameWidth(content) + nameLineExtras(content);
    lines.width =
        std::clamp(std::ceil(std::max(nameLine, otherLinesWidth(content))), contentWidth, widestContent);
    if (content.folder) {
        const QFontMetricsF metrics(AppFont::small());
        lines.folder = middleCutLines(text(*content.folder), lines.width, 2, [&metrics](const QString& line) {
            return metrics.horizontalAdvance(line);
        });
    }
    return lines;
}

QSizeF HoverCard::size(const HoverCardContent& content) {
    const Lines lines = HoverCard::lines(content);
    return {lines.width + 2 * horizontalPadding, cardHeight(content, lines)};
}

void HoverCard::paint(QPainter& painter, QPointF origin, const HoverCardContent& content,
                      const Palette& palette) {
    const Lines lines = HoverCard::lines(content);
    const QRectF card(origin, QSizeF(lines.width + 2 * horizontalPadding, cardHeight(content, lines)));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, card, palette);

    const double left = card.left() + horizontalPadding;
    const double right = card.right() - horizontalPadding;
    double y = card.top() + verticalPadding;
    y = paintNameLine(painter, left, right, y, content, lines.name, palette);
    y = paintSizeLine(painter, left, y, content, palette);
    if (content.reclaimable || content.date) {
        y += 3;
        paintDetailLine(painter, left, right, y, content, palette);
        y += detailLineHeight();
    }
    if (content.ageSpan) {
        const QString span =
            QFontMetricsF(AppFont::small())
                .elidedText(text(*content.ageSpan), Qt::ElideRight, std::max(right - left, 0.0));
        paintNoteLines(painter, left, y + 2, {span}, palette);
        y += 2 + detailLineHeight();
    }
    paintNoteLines(painter, left, y + folderLineGap, lines.folder, palette);
    painter.restore();
}

}  // namespace korvane
