#include "app/canvases/AgeMapCanvas.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "app/canvases/CanvasPaint.h"
#include "app/presenters/ItemKind.h"
#include "app/theme/NodeStyle.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double stackSpacing = 14;  // between panels
constexpr double panelPadding = 12;
constexpr double rowSpacing = 5;     // between a panel's lines
constexpr double sideWidth = 320;    // "Big & untouched" beside the others
constexpr double bucketRowHeight = 20;
constexpr double yearWidth = 38;
constexpr double cellSpacing = 4;
constexpr double cellHeight = 26;

QFont titleFont(const Palette& palette) { return AppFont::font(11, QFont::DemiBold, FontDesign::default_, palette.tracking + 0.3); }
const QFont& pageFont(double size, QFont::Weight weight = QFont::Normal) {
    // The few fonts this page uses, built once each.
    static std::map<std::pair<int, int>, QFont> fonts;
    // A default QFont already names a family, so presence in the map is the test.
    const std::pair<int, int> key{static_cast<int>(size * 10), static_cast<int>(weight)};
    auto found = fonts.find(key);
    if (found == fonts.end()) found = fonts.emplace(key, AppFont::font(size, weight)).first;
    return found->second;
}
double lineHeight(const QFont& f) { return QFontMetricsF(f).height(); }

const QString& nothingUntouched() {
    static const QString text = QStringLiteral("Nothing here has been sitting for a year. Unusual, and good.");
    return text;
}
// The height a sentence takes broken into lines of `width`.
double wrappedHeight(const QString& text, const QFont& font, double width) {
    return QFontMetricsF(font)
        .boundingRect(QRectF(0, 0, std::max(width, 1.0), 1e6), Qt::AlignLeft | Qt::TextWordWrap, text)
        .height();
}

}  // namespace

QRectF AgeMapCanvas::Page::monthCell(std::size_t yearRow, int month) const {
    const QRectF row = yearRows[yearRow];
    const double cells = row.width() - yearWidth - 12 * cellSpacing;
    const double width = std::max(cells / 12, 0.0);
    const double left = row.left() + yearWidth + cellSpacing + (month - 1) * (width + cellSpacing);
    return {left, row.top(), width, row.height()};
}

AgeMapCanvas::AgeMapCanvas(const CanvasParts& parts, QWidget* parent)
    : ScrollingCanvas(parts, CanvasMode::ageMap, parent) {}

const AgeMapCanvas::Page& AgeMapCanvas::page() {
    return cache_.get(*root(), QSizeF(contentWidth(), height()), depth(),
                      [this] { return buildPage(*root(), contentWidth()); });
}

AgeMapCanvas::Page AgeMapCanvas::buildPage(const StorageNode& root, double width) {
    const Palette& colours = palette();
    Page page;
    page.ages = AgeMapLayout::make(root, clock());
    page.months = MonthGridLayout::make(root, clock());
    page.isWide = AgeMapLayout::isWide(width);
    const double title = lineHeight(titleFont(colours));
    const double mainWidth = page.isWide ? std::max(width - stackSpacing - sideWidth, 0.0) : width;

    // Bucket panel: header, then one 20-point row per bucket.
    double y = 0;
    double inner = y + panelPadding + title + 4;
    for (std::size_t i = 0; i < page.ages.buckets.size(); ++i) {
        inner += rowSpacing;
        page.bucketRows.emplace_back(panelPadding, inner, mainWidth - 2 * panelPadding, bucketRowHeight);
        inner += bucketRowHeight;
    }
    page.bucketPanel = QRectF(0, y, mainWidth, inner + panelPadding - y);
    y = page.bucketPanel.bottom() + stackSpacing;

    // Month panel: title, then the grid with its legend, or one line.
    inner = y + panelPadding + title + 6;
    if (page.months.isEmpty()) {
        inner += rowSpacing + lineHeight(pageFont(11));
    } else {
        inner += rowSpacing;
        page.monthHeader = QRectF(panelPadding, inner, mainWidth - 2 * panelPadding, lineHeight(pageFont(9, QFont::Medium)));
        inner = page.monthHeader.bottom();
        for (const int year : page.months.years) {
            inner += rowSpacing;
            page.years.push_back(year);
            page.yearRows.emplace_back(panelPadding, inner, mainWidth - 2 * panelPadding, cellHeight);
            inner += cellHeight;
        }
        inner += rowSpacing + 6;
        page.legend = QRectF(panelPadding, inner, mainWidth - 2 * panelPadding, std::max(12.0, lineHeight(pageFont(9))));
        inner = page.legend.bottom();
    }
    page.monthPanel = QRectF(0, y, mainWidth, inner + panelPadding - y);

    // "Big & untouched": beside the others when wide, below them otherwise.
    const double sideLeft = page.isWide ? mainWidth + stackSpacing : 0;
    const double sideWidthNow = page.isWide ? sideWidth : width;
    y = page.isWide ? 0 : page.monthPanel.bottom() + stackSpacing;
    inner = y + panelPadding + title;
    if (page.ages.bigUntouched.empty()) {
        const double noteWidth = sideWidthNow - 2 * panelPadding;
        page.untouchedNote = QRectF(sideLeft + panelPadding, inner + rowSpacing + 6, noteWidth,
                                    wrappedHeight(nothingUntouched(), pageFont(11), noteWidth));
        inner = page.untouchedNote.bottom() + 6;
    } else {
        inner += rowSpacing + lineHeight(pageFont(11, QFont::Medium)) + 2;
        const double itemHeight = 5 + lineHeight(pageFont(11, QFont::Medium)) + 1 + lineHeight(pageFont(9)) + 5;
        for (std::size_t i = 0; i < page.ages.bigUntouched.size(); ++i) {
            inner += rowSpacing;
            page.itemRows.emplace_back(sideLeft + panelPadding, inner, sideWidthNow - 2 * panelPadding, itemHeight);
            inner += itemHeight;
        }
    }
    page.bigPanel = QRectF(sideLeft, y, sideWidthNow, inner + panelPadding - y);
    page.height = std::max(page.monthPanel.bottom(), page.bigPanel.bottom());
    return page;
}

QRectF AgeMapCanvas::itemBounds(std::size_t item) {
    if (!root() || item >= page().itemRows.size()) return {};
    return fromContent(page().itemRows[item]);
}

const StorageNode* AgeMapCanvas::itemNode(std::size_t item) {
    if (!root() || item >= page().ages.bigUntouched.size()) return nullptr;
    return page().ages.bigUntouched[item].node;
}

std::optional<CanvasBase::Hit> AgeMapCanvas::hitAt(QPointF point) {
    if (point.x() >= contentWidth()) return std::nullopt;
    const auto& rows = page().itemRows;
    const QPointF at = toContent(point);
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].contains(at)) return Hit{Hit::item, i};
    return std::nullopt;
}

std::vector<CanvasBase::Hit> AgeMapCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    for (std::size_t i = 0; i < page().itemRows.size(); ++i) targets.push_back({Hit::item, i});
    return targets;
}

std::optional<QString> AgeMapCanvas::monthTooltipAt(QPointF point) {
    if (!root()) return std::nullopt;
    const Page& grid = page();
    const QPointF at = toContent(point);
    for (std::size_t row = 0; row < grid.yearRows.size(); ++row) {
        if (!grid.yearRows[row].contains(at)) continue;
        for (int month = 1; month <= 12; ++month)
            if (grid.monthCell(row, month).contains(at))
                return QString::fromStdString(MonthGridLayout::tooltip(grid.months.bytes(grid.years[row], month)));
    }
    return std::nullopt;
}

bool AgeMapCanvas::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const auto tip = monthTooltipAt(help->pos()))
            QToolTip::showText(help->globalPos(), tip->toHtmlEscaped(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return ScrollingCanvas::event(event);
}

void AgeMapCanvas::paintCanvas(QPainter& painter) {
    followContentHeight();
    const Page& current = page();
    painter.save();
    painter.translate(0, -viewTop());
    paintBuckets(painter, current);
    paintMonths(painter, current);
    paintBigUntouched(painter, current);
    painter.restore();
}

void AgeMapCanvas::paintPanel(QPainter& painter, const QRectF& panel) {
    const Palette& colours = palette();
    const double radius = std::max(colours.radius, 8.0);
    fillRounded(painter, panel, radius, colours.panel);
    strokeInside(painter, panel, radius, colours.hairline, 1);
}

void AgeMapCanvas::paintBuckets(QPainter& painter, const Page& current) {
    const Palette& colours = palette();
    const QRectF panel = current.bucketPanel;
    paintPanel(painter, panel);
    const QFont heading = titleFont(colours);
    const QRectF header(panel.left() + panelPadding, panel.top() + panelPadding, panel.width() - 2 * panelPadding,
                        lineHeight(heading));
    drawLine(painter, header, QStringLiteral("How old are these bytes?"), heading, colours.ink);
    drawLine(painter, header, QString::fromStdString(ByteFormat::string(std::max<std::int64_t>(current.ages.rootBytes, 1))),
             pageFont(11, QFont::Medium), colours.inkSecondary, Qt::AlignRight | Qt::AlignVCenter);
    for (std::size_t i = 0; i < current.ages.buckets.size(); ++i) {
        const AgeMapLayout::Bucket& bucket = current.ages.buckets[i];
        const QRectF row = current.bucketRows[i];
        const QString label = canvasText(bucket.label);
        const double labelWidth = std::max(96.0, QFontMetricsF(pageFont(11)).horizontalAdvance(label));
        drawLine(painter, QRectF(row.left(), row.top(), labelWidth, row.height()), label, pageFont(11), colours.inkSecondary);
        const QRectF share(row.right() - 44, row.top(), 44, row.height());
        const QRectF bytes(share.left() - 10 - 66, row.top(), 66, row.height());
        const double barLeft = row.left() + labelWidth + 10;
        const double barWidth = std::max(bytes.left() - 10 - barLeft, 0.0);
        fillRounded(painter, QRectF(barLeft, row.center().y() - 7, current.ages.barWidth(bucket, barWidth), 14), 3,
                    tinted(colours.accent, AgeMapLayout::bucketOpacity(bucket.id)));
        drawLine(painter, bytes, QString::fromStdString(ByteFormat::string(bucket.bytes)), pageFont(11, QFont::Medium),
                 colours.ink, Qt::AlignRight | Qt::AlignVCenter);
        drawLine(painter, share, QString::fromStdString(current.ages.shareText(bucket)), pageFont(10), colours.inkTertiary,
                 Qt::AlignRight | Qt::AlignVCenter);
    }
}

void AgeMapCanvas::paintMonths(QPainter& painter, const Page& current) {
    const Palette& colours = palette();
    const QRectF panel = current.monthPanel;
    paintPanel(painter, panel);
    const QFont heading = titleFont(colours);
    const QRectF title(panel.left() + panelPadding, panel.top() + panelPadding, panel.width() - 2 * panelPadding,
                       lineHeight(heading));
    drawLine(painter, title, QStringLiteral("Bytes by last-modified month"), heading, colours.ink);
    const MonthGridLayout& months = current.months;
    if (months.isEmpty()) {
        drawLine(painter, QRectF(title.left(), title.bottom() + 6 + rowSpacing, title.width(), lineHeight(pageFont(11))),
                 QStringLiteral("Nothing here carries a modification date."), pageFont(11), colours.inkSecondary);
        return;
    }
    // Initials above the twelve columns.
    for (int month = 1; month <= 12; ++month) {
        QRectF column = current.monthCell(0, month);
        column.moveTop(current.monthHeader.top());
        column.setHeight(current.monthHeader.height());
        drawLine(painter, column, QString::fromUtf8(MonthGridLayout::initial(month)), pageFont(9, QFont::Medium),
                 colours.inkTertiary, Qt::AlignCenter);
    }
    for (std::size_t row = 0; row < current.years.size(); ++row) {
        const QRectF line = current.yearRows[row];
        drawLine(painter, QRectF(line.left(), line.top(), yearWidth, line.height()),
                 QString::number(current.years[row]), pageFont(10), colours.inkSecondary);
        for (int month = 1; month <= 12; ++month) {
            const QRectF cell = current.monthCell(row, month);
            const std::int64_t bytes = months.bytes(current.years[row], month);
            fillRounded(painter, cell, 3, bytes >= 1 ? tinted(colours.accent, months.fillOpacity(bytes)) : colours.hover);
            if (months.showsText(bytes)) {
                const QRectF box = cell.adjusted(2, 0, -2, 0);
                const QString size = QString::fromStdString(ByteFormat::string(bytes));
                // A narrow cell shrinks its text down to 70 %, and leaves it out
                // rather than cut it short.
                const auto points = MonthGridLayout::sizeTextPoints(
                    [&size](double at) { return QFontMetricsF(pageFont(at, QFont::Medium)).horizontalAdvance(size); },
                    box.width());
                if (points) drawLine(painter, box, size, pageFont(*points, QFont::Medium), colours.canvas, Qt::AlignCenter);
            }
        }
    }
    // Legend: less, four swatches, more, and the busiest month on the right.
    const QRectF legend = current.legend;
    double x = legend.left();
    x += drawLine(painter, QRectF(x, legend.top(), 60, legend.height()), QStringLiteral("less"), pageFont(9),
                  colours.inkTertiary) + 6;
    for (int swatch = 1; swatch <= 4; ++swatch) {
        fillRounded(painter, QRectF(x, legend.center().y() - 6, 12, 12), 2,
                    tinted(colours.accent, MonthGridLayout::swatchOpacity(swatch)));
        x += 12 + 6;
    }
    drawLine(painter, QRectF(x, legend.top(), 60, legend.height()), QStringLiteral("more"), pageFont(9), colours.inkTertiary);
    drawLine(painter, legend,
             QStringLiteral("Busiest month: ") + QString::fromStdString(ByteFormat::string(months.busiestBytes())),
             pageFont(9), colours.inkTertiary, Qt::AlignRight | Qt::AlignVCenter);
}

QString AgeMapCanvas::restingDescription() {
    // The panels that have nothing to show say so in painted text.
    QStringList parts;
    if (page().months.isEmpty()) parts << QStringLiteral("Nothing here carries a modification date.");
    if (page().ages.bigUntouched.empty()) parts << nothingUntouched();
    return parts.join(QLatin1Char(' '));
}

void AgeMapCanvas::paintBigUntouched(QPainter& painter, const Page& current) {
    const Palette& colours = palette();
    const QRectF panel = current.bigPanel;
    paintPanel(painter, panel);
    const QFont heading = titleFont(colours);
    const QRectF header(panel.left() + panelPadding, panel.top() + panelPadding, panel.width() - 2 * panelPadding,
                        lineHeight(heading));
    drawLine(painter, header, QStringLiteral("Big & untouched"), heading, colours.ink);
    drawLine(painter, header, QStringLiteral("over a year old"), pageFont(9), colours.inkTertiary,
             Qt::AlignRight | Qt::AlignVCenter);
    const auto& rows = current.ages.bigUntouched;
    const double below = header.bottom() + rowSpacing;
    if (rows.empty()) {
        painter.setFont(pageFont(11));
        painter.setPen(colours.inkSecondary);
        painter.drawText(current.untouchedNote, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, nothingUntouched());
        return;
    }
    drawLine(painter, QRectF(header.left(), below, header.width(), lineHeight(pageFont(11, QFont::Medium))),
             QString::fromStdString(current.ages.bigUntouchedSummary()), pageFont(11, QFont::Medium), colours.accent);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AgeMapLayout::Untouched& untouched = rows[i];
        const StorageNode& node = *untouched.node;
        const QRectF row = current.itemRows[i];
        if (isSelectedNode(node))
            fillRounded(painter, row, 6, colours.hover);
        else if (isHovered(Hit::item, i))
            fillRounded(painter, row, 6, tinted(colours.hover, 0.6));
        const QRectF inner = row.adjusted(7, 5, -7, -5);
        drawSymbol(painter, QRectF(inner.left(), inner.top(), 14, inner.height()), categorySymbol(node), 11,
                   colours.colorForNode(node));
        const QString size = QString::fromStdString(ByteFormat::string(untouched.bytes));
        const double sizeWidth = QFontMetricsF(pageFont(11, QFont::Medium)).horizontalAdvance(size) + 1;
        drawLine(painter, QRectF(inner.right() - sizeWidth, inner.top(), sizeWidth, inner.height()), size,
                 pageFont(11, QFont::Medium), colours.ink, Qt::AlignRight | Qt::AlignVCenter);
        const double textLeft = inner.left() + 14 + 8;
        const double textWidth = std::max(inner.right() - sizeWidth - 6 - textLeft, 0.0);
        const double nameHeight = lineHeight(pageFont(11, QFont::Medium));
        drawLine(painter, QRectF(textLeft, inner.top(), textWidth, nameHeight), QString::fromStdString(AgeMapLayout::untouchedName(untouched)),
                 pageFont(11, QFont::Medium), colours.ink, Qt::AlignLeft | Qt::AlignVCenter, Qt::ElideMiddle);
        drawLine(painter, QRectF(textLeft, inner.top() + nameHeight + 1, textWidth, lineHeight(pageFont(9))),
                 QString::fromStdString(AgeMapLayout::relativeAge(untouched.days)), pageFont(9), colours.inkTertiary);
    }
}

}  // namespace korvane
