#include "app/canvases/StrataCanvas.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include "app/theme/AppFont.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/NodeStyle.h"
#include "app/theme/Palette.h"
#include "app/theme/SymbolGlyph.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

QString text(std::string_view value) { return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())); }

constexpr double bandDelay = 0.05;    // each band enters this much after the one above
constexpr double entranceRise = 14;   // points a band falls into place from
constexpr double hoverGrowth = 0.04;  // a hovered deposit grows this much in height

// Lines of at most `width` points, at most `maxLines` of them, the last elided.
QStringList wrapped(const QString& value, const QFont& font, double width, int maxLines) {
    QStringList lines;
    QTextLayout layout(value, font);
    layout.beginLayout();
    for (int i = 0; i < maxLines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        lines << value.mid(line.textStart(), line.textLength()).trimmed();
        if (i == maxLines - 1 && line.textStart() + line.textLength() < value.size())
            lines.back() = QFontMetricsF(font).elidedText(value.mid(line.textStart()), Qt::ElideRight, width);
    }
    layout.endLayout();
    return lines;
}

}  // namespace

StrataCanvas::StrataCanvas(AppState& state, QWidget* parent)
    : LayoutCanvas<StrataLayout>(state, AppState::CanvasMode::strata, parent) {}

StrataLayout StrataCanvas::buildLayout(const StorageNode& root, QSizeF size) {
    StrataLayout strata = StrataLayout::make(root, size, clock());
    // The empty state is painted; a screen reader hears it from here.
    setAccessibleDescription(strata.isEmpty() ? QStringLiteral("No dates to sort by. Strata needs modification "
                                                               "dates, which this selection does not carry.")
                                              : QString());
    return strata;
}

QRectF StrataCanvas::itemBounds(std::size_t item) {
    const auto& deposits = layout().deposits;
    return item < deposits.size() ? deposits[item].rect : QRectF();
}

const StorageNode* StrataCanvas::itemNode(std::size_t item) {
    const auto& deposits = layout().deposits;
    return item < deposits.size() ? deposits[item].node : nullptr;
}

bool StrataCanvas::isBandFullySelected(std::size_t position) {
    const StrataLayout& strata = layout();
    if (position >= strata.bands.size()) return false;
    const auto& selection = state().selection();
    return strata.isFullySelected(strata.bands[position],
                                  [&selection](const UUID& id) { return selection.contains(id); });
}

std::optional<CanvasBase::Hit> StrataCanvas::hitAt(QPointF point) {
    const StrataLayout& strata = layout();
    if (const auto header = strata.headerAt(point)) return Hit{headerZone, *header};
    // Tiles past the right edge are not on screen, so not under the pointer.
    if (point.x() >= width()) return std::nullopt;
    if (const auto deposit = strata.depositAt(point)) return Hit{Hit::item, *deposit};
    return std::nullopt;
}

void StrataCanvas::clicked(const Hit& hit) {
    if (hit.zone != headerZone) return CanvasBase::clicked(hit);
    const StrataLayout& strata = layout();
    if (hit.index >= strata.bands.size()) return;
    std::vector<StorageNode> nodes;
    for (const StorageNode* node : strata.nodes(strata.bands[hit.index])) nodes.push_back(*node);
    animateFor(AppMotion::snappy.duration());
    state().toggleSelection(nodes);
}

void StrataCanvas::paintCanvas(QPainter& painter) {
    const StrataLayout& strata = layout();
    if (strata.isEmpty()) return paintEmptyState(painter);
    for (std::size_t position = 0; position < strata.bands.size(); ++position) {
        const StrataLayout::Band& band = strata.bands[position];
        const double progress = entrance(bandDelay * band.bandIndex);
        painter.save();
        painter.setOpacity(painter.opacity() * std::clamp(progress, 0.0, 1.0));
        painter.translate(0, -entranceRise * (1 - progress));
        paintHeader(painter, band, position);
        const std::size_t end = band.firstDeposit + band.depositCount;
        for (std::size_t i = band.firstDeposit; i < end; ++i) {
            const auto& deposit = strata.deposits[i];
            // Tiles run left to right; the rest lie past the right edge.
            if (deposit.rect.left() >= width()) break;
            paintDeposit(painter, deposit, i);
        }
        painter.restore();
    }
}

void StrataCanvas::paintHeader(QPainter& painter, const StrataLayout::Band& band, std::size_t position) {
    const Palette& colours = palette();
    const auto& info = StrataLayout::bandTable[static_cast<std::size_t>(band.bandIndex)];
    const bool hovered = isHovered(headerZone, position);
    const bool full = isBandFullySelected(position);

    const QFont titleFont = AppFont::font(10, QFont::DemiBold, FontDesign::default_, colours.tracking + 0.7);
    const QFont sizeFont = AppFont::font(11, QFont::Medium);
    const QFont& hintFont = AppFont::small();
    const double width = StrataLayout::headerWidth;
    const QString hint = hovered ? (full ? QStringLiteral("Click to deselect all") : QStringLiteral("Click to select all"))
                                 : text(info.blurb);
    const QStringList hintLines = wrapped(hint, hintFont, width, 2);
    const QFontMetricsF titleMetrics(titleFont), sizeMetrics(sizeFont), hintMetrics(hintFont);
    const double height = titleMetrics.height() + 1 + sizeMetrics.height() + 1 +
                          hintMetrics.height() * static_cast<double>(hintLines.size());
    double y = band.header.top() + std::max((band.header.height() - height) / 2, 4.0);

    painter.save();
    painter.setClipRect(band.header);
    const QString name = text(info.name).toUpper();
    painter.setFont(titleFont);
    painter.setPen(colours.inkSecondary);
    painter.drawText(QPointF(band.header.left(), y + titleMetrics.ascent()), name);
    if (hovered || full) {
        const double x = band.header.left() + titleMetrics.horizontalAdvance(name) + 4;
        painter.setFont(symbolFont(10));
        painter.setPen(colours.accent);
        painter.drawText(QRectF(x, y, 11, titleMetrics.height()), Qt::AlignCenter,
                         symbolText(full ? "checkmark.circle.fill" : "plus.circle"));
    }
    y += titleMetrics.height() + 1;
    painter.setFont(sizeFont);
    painter.setPen(colours.ink);
    painter.drawText(QPointF(band.header.left(), y + sizeMetrics.ascent()),
                     QString::fromStdString(ByteFormat::string(band.total)));
    y += sizeMetrics.height() + 1;
    painter.setFont(hintFont);
    painter.setPen(hovered ? colours.accent : colours.inkTertiary);
    for (const QString& line : hintLines) {
        painter.drawText(QPointF(band.header.left(), y + hintMetrics.ascent()), line);
        y += hintMetrics.height();
    }
    painter.restore();
}

void StrataCanvas::paintDeposit(QPainter& painter, const StrataLayout::Deposit& deposit, std::size_t index) {
    const Palette& colours = palette();
    const StorageNode& node = *deposit.node;
    const QColor colour = colours.colorForNode(node);
    const bool uninspected = deposit.isUninspected;
    const bool selected = isSelectedNode(node);
    const double hover = hoverAmount(Hit::item, index);

    QRectF rect = deposit.rect;
    if (hover > 0) {
        const double grown = rect.height() * (1 + hoverGrowth * hover);
        rect.adjust(0, -(grown - rect.height()) / 2, 0, (grown - rect.height()) / 2);
    }
    const double fill =
        uninspected ? 0.1 : std::min((deposit.bandIndex * 0.13 + 0.62) * colours.fillStrength * 3.6, 0.92);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(colour, fill));
    painter.drawRoundedRect(rect, 3, 3);

    const double restingBorder = uninspected ? 0.55 : 0.25;
    const double border = selected ? 1.0 : restingBorder + (0.7 - restingBorder) * hover;
    const double lineWidth = selected ? 2 : 1;
    QPen pen(withOpacity(colour, border), lineWidth);
    if (uninspected) pen.setDashPattern({3.0 / lineWidth, 3.0 / lineWidth});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double inset = lineWidth / 2;
    painter.drawRoundedRect(rect.adjusted(inset, inset, -inset, -inset), 3, 3);

    if (!deposit.hasLabel) return;
    const QRectF inner = rect.adjusted(6, 0, -6, 0);
    if (inner.width() <= 12) return;
    const QColor ink = uninspected ? colours.inkSecondary : colours.ink;
    painter.setPen(ink);
    painter.setFont(symbolFont(10));
    painter.drawText(QRectF(inner.left(), inner.top(), 11, inner.height()), Qt::AlignCenter,
                     symbolText(uninspected ? "eye.slash" : categorySymbol(node)));
    const QFont nameFont = AppFont::font(11, QFont::Medium);
    QString name = QString::fromStdString(node.name);
    if (uninspected) name += QStringLiteral(" \u00B7 not inspected");
    const QRectF label(inner.left() + 15, inner.top(), inner.width() - 15, inner.height());
    painter.setFont(nameFont);
    painter.drawText(label, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetricsF(nameFont).elidedText(name, Qt::ElideMiddle, label.width()));
}

void StrataCanvas::paintEmptyState(QPainter& painter) {
    const Palette& colours = palette();
    const QFont titleFont = AppFont::font(13, QFont::Medium);
    const QFont& messageFont = AppFont::caption();
    const QFontMetricsF titleMetrics(titleFont), messageMetrics(messageFont);
    const double symbolHeight = 28;
    const double height = symbolHeight + 6 + titleMetrics.height() + 6 + messageMetrics.height();
    double y = (this->height() - height) / 2;
    const double w = width();
    painter.setPen(colours.inkTertiary);
    painter.setFont(symbolFont(24));
    painter.drawText(QRectF(0, y, w, symbolHeight), Qt::AlignCenter, symbolText("clock.badge.questionmark"));
    y += symbolHeight + 6;
    painter.setFont(titleFont);
    painter.setPen(colours.ink);
    painter.drawText(QRectF(0, y, w, titleMetrics.height()), Qt::AlignCenter, QStringLiteral("No dates to sort by"));
    y += titleMetrics.height() + 6;
    painter.setFont(messageFont);
    painter.setPen(colours.inkSecondary);
    painter.drawText(QRectF(0, y, w, messageMetrics.height()), Qt::AlignCenter,
                     QStringLiteral("Strata needs modification dates, which this selection does not carry."));
}

}  // namespace korvane
