#include "app/canvases/StrataCanvas.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

#include "app/canvases/CanvasPaint.h"
#include "app/presenters/ItemKind.h"
#include "app/presenters/LabelFit.h"
#include "app/presenters/SummaryNode.h"
#include "app/state/DeveloperState.h"
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
constexpr double cornerRadius = 3;
constexpr double labelPadding = 6;  // each side of a tile's label
constexpr double symbolWidth = 11;
constexpr double labelIndent = 15;  // from the symbol's left to the name
// A band header's hint and mark come and go with the pointer on this ease.
constexpr Motion headerHover = AppMotion::fade;

// A tile's border opacity: resting, moving to its hovered look with the
// tile's growth, and to its selected look on the same spring.
double tileBorder(bool uninspected, double hover, double selected) {
    const double resting = uninspected ? 0.55 : 0.25;
    const double hovered = resting + (0.7 - resting) * hover;
    // A spring passing its end never draws more than whole.
    return std::min(hovered + (1.0 - hovered) * selected, 1.0);
}

}  // namespace

StrataCanvas::StrataCanvas(const CanvasParts& parts, QWidget* parent)
    : LayoutCanvas<StrataLayout>(parts, CanvasMode::strata, parent) {}

StrataLayout StrataCanvas::buildLayout(const StorageNode& root, QSizeF size) {
    return StrataLayout::make(root, size, clock());
}

QString StrataCanvas::restingDescription() {
    return layout().isEmpty()
               ? QStringLiteral("No dates to sort by. Strata needs modification dates, which this selection does "
                                "not carry.")
               : QString();
}

QRectF StrataCanvas::itemBounds(std::size_t item) {
    const auto& deposits = layout().deposits;
    return item < deposits.size() ? deposits[item].rect : QRectF();
}

const StorageNode* StrataCanvas::itemNode(std::size_t item) {
    const auto& deposits = layout().deposits;
    return item < deposits.size() ? deposits[item].node : nullptr;
}

HoverCardContent StrataCanvas::hoverContent(std::size_t item) {
    HoverCardContent content = CanvasBase::hoverContent(item);
    const auto& deposits = layout().deposits;
    if (item >= deposits.size()) return content;
    if (root()) showShare(content, *deposits[item].node, deposits[item].bytes, *root());
    content.ageSpan = StrataLayout::spanText(deposits[item].ageBands);
    return content;
}

double StrataCanvas::shownHeaderHover(std::size_t position) const {
    return std::clamp(hoverAmount(headerZone, position, headerHover), 0.0, 1.0);
}

double StrataCanvas::shownTileBorder(std::size_t deposit) {
    const auto& deposits = layout().deposits;
    if (deposit >= deposits.size()) return 0;
    return tileBorder(deposits[deposit].isUninspected, hoverAmount(Hit::item, deposit),
                      selectionAmount(*deposits[deposit].node));
}

bool StrataCanvas::headerSelects(std::size_t position) {
    const StrataLayout& strata = layout();
    return position < strata.bands.size() && strata.hasCandidates(strata.bands[position]);
}

QString StrataCanvas::helpAt(QPointF point) {
    if (!root()) return {};
    const auto header = layout().headerAt(point);
    if (!header || !headerSelects(*header)) return {};
    return QStringLiteral("Select everything in this band");
}

bool StrataCanvas::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const QString tip = helpAt(help->pos()); !tip.isEmpty())
            QToolTip::showText(help->globalPos(), tip.toHtmlEscaped(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return LayoutCanvas<StrataLayout>::event(event);
}

bool StrataCanvas::isBandFullySelected(std::size_t position) {
    const StrataLayout& strata = layout();
    if (position >= strata.bands.size()) return false;
    const auto& selection = developer().selection();
    return strata.isFullySelected(strata.bands[position],
                                  [&selection](const UUID& id) { return selection.contains(id); });
}

std::optional<CanvasBase::Hit> StrataCanvas::hitAt(QPointF point) {
    const StrataLayout& strata = layout();
    // A header whose click would select nothing is no control: no hover, no hint.
    if (const auto header = strata.headerAt(point)) {
        if (headerSelects(*header)) return Hit{headerZone, *header};
        return std::nullopt;
    }
    // Tiles past the right edge are not on screen, so not under the pointer.
    if (point.x() >= width()) return std::nullopt;
    if (const auto deposit = strata.depositAt(point)) return Hit{Hit::item, *deposit};
    return std::nullopt;
}

QRectF StrataCanvas::hoverArea(const Hit& hit) {
    const StrataLayout& strata = layout();
    if (hit.zone == headerZone)
        return hit.index < strata.bands.size() ? strata.bands[hit.index].header.adjusted(-2, -2, 2, 2) : QRectF();
    // A hovered tile grows in height about its centre.
    const QRectF rect = itemBounds(hit.index);
    const double grown = rect.height() * hoverGrowth / 2 + 2;
    return rect.adjusted(-2, -grown, 2, grown);
}

void StrataCanvas::clicked(const Hit& hit) {
    const StrataLayout& strata = layout();
    if (hit.zone == Hit::item && hit.index < strata.deposits.size() && strata.deposits[hit.index].isSummary) {
        const StrataLayout::Deposit& deposit = strata.deposits[hit.index];
        navigation().selectSummary(summaryWithParts(*deposit.node, strata.summed(deposit), strata.summedBytes(deposit)));
        return;
    }
    if (hit.zone != headerZone) return CanvasBase::clicked(hit);
    if (hit.index >= strata.bands.size()) return;
    std::vector<StorageNode> nodes;
    for (const StorageNode* node : strata.nodes(strata.bands[hit.index])) nodes.push_back(*node);
    animateFor(AppMotion::snappy.duration());
    developer().toggleSelection(nodes);
}

CanvasItemReading StrataCanvas::reading(const Hit& hit) {
    const StrataLayout& strata = layout();
    if (hit.zone != headerZone || hit.index >= strata.bands.size()) return CanvasBase::reading(hit);
    const StrataLayout::Band& band = strata.bands[hit.index];
    const auto& info = StrataLayout::bandTable[static_cast<std::size_t>(band.bandIndex)];
    return bandHeaderReading(info.name, band.total, info.blurb);
}

std::vector<CanvasBase::Hit> StrataCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    const StrataLayout& strata = layout();
    for (std::size_t position = 0; position < strata.bands.size(); ++position) {
        const StrataLayout::Band& band = strata.bands[position];
        if (headerSelects(position)) targets.push_back({headerZone, position});
        for (std::size_t i = band.firstDeposit; i < visibleEnd(strata, band); ++i) targets.push_back({Hit::item, i});
    }
    return targets;
}

QRectF StrataCanvas::targetRect(const Hit& hit) {
    const StrataLayout& strata = layout();
    if (hit.zone == headerZone) return hit.index < strata.bands.size() ? strata.bands[hit.index].header : QRectF();
    return itemBounds(hit.index);
}

void StrataCanvas::chosen(const Hit& hit) {
    // A header is worked with Space or Return, not by arriving on it.
    if (hit.zone == Hit::item) clicked(hit);
}

void StrataCanvas::activated(const Hit& hit) {
    if (hit.zone == headerZone) clicked(hit);
}

const StorageNode* StrataCanvas::summedFolder(std::size_t item) {
    const auto& deposits = layout().deposits;
    // A band's smallest leaves may lie anywhere under the root.
    return item < deposits.size() && deposits[item].isSummary ? root() : nullptr;
}

void StrataCanvas::paintCanvas(QPainter& painter) {
    const StrataLayout& strata = layout();
    if (strata.isEmpty()) return paintEmptyState(painter);
    const auto& resting = restingBands(strata, painter.device()->devicePixelRatio());
    // A band has arrived once it is within half a device pixel of its place
    // and an opacity step of whole, well before its spring settles.
    const double arrives = AppMotion::gentle.arrivalTime(
        Arrival::slide(entranceRise * painter.device()->devicePixelRatioF(), true));
    for (std::size_t position = 0; position < strata.bands.size(); ++position) {
        const StrataLayout::Band& band = strata.bands[position];
        const double progress = entrance(bandDelay * band.bandIndex, AppMotion::gentle, arrives);
        painter.save();
        painter.setOpacity(painter.opacity() * std::clamp(progress, 0.0, 1.0));
        painter.translate(0, -entranceRise * (1 - progress));
        paintHeader(painter, band, position);
        paintDeposits(painter, strata, band, resting[position]);
        painter.restore();
    }
}

std::size_t StrataCanvas::visibleEnd(const StrataLayout& strata, const StrataLayout::Band& band) const {
    // Tiles run left to right; the rest lie past the right edge.
    std::size_t end = band.firstDeposit;
    while (end < band.firstDeposit + band.depositCount && strata.deposits[end].rect.left() < width()) ++end;
    return end;
}

const std::vector<StrataCanvas::RestingBand>& StrataCanvas::restingBands(const StrataLayout& strata, double ratio) {
    const Palette* colours = &palette();
    if (restingBuild_ != layoutBuilds() || restingPalette_ != colours || restingRatio_ != ratio) {
        resting_.clear();
        for (const auto& band : strata.bands) resting_.push_back(drawRestingBand(strata, band, ratio));
        restingBuild_ = layoutBuilds();
        restingPalette_ = colours;
        restingRatio_ = ratio;
    }
    return resting_;
}

StrataCanvas::RestingBand StrataCanvas::drawRestingBand(const StrataLayout& strata, const StrataLayout::Band& band,
                                                        double ratio) {
    RestingBand resting;
    const std::size_t end = visibleEnd(strata, band);
    const QFont nameFont = AppFont::font(11, QFont::Medium);
    const QFontMetricsF nameMetrics(nameFont);
    for (std::size_t i = band.firstDeposit; i < end; ++i) {
        const auto& deposit = strata.deposits[i];
        if (!deposit.hasLabel) continue;
        QString name = QString::fromStdString(deposit.node->name);
        name += QString::fromUtf8(deposit.nameNote.data(), static_cast<qsizetype>(deposit.nameNote.size()));
        // Too little of the name to read: the symbol alone says more.
        const QString shown =
            fittedText(name, nameFont, deposit.rect.width() - 2 * labelPadding - labelIndent);
        resting.labels.push_back(
            {i, symbolText(deposit.nameNote.empty() ? categorySymbol(*deposit.node) : "eye.slash"), shown});
    }

    const auto floorTo = [ratio](double x) { return static_cast<int>(std::floor(x * ratio)); };
    const auto ceilTo = [ratio](double x) { return static_cast<int>(std::ceil(x * ratio)); };
    // A dashed border's square caps reach a little past its tile.
    const double spill = 1;
    const QRect pixels(QPoint(floorTo(band.strip.left() - spill), floorTo(band.row.top() - spill)),
                       QPoint(ceilTo(width()) - 1, ceilTo(band.row.bottom() + spill) - 1));
    if (end == band.firstDeposit || pixels.isEmpty()) return resting;
    resting.origin = pixels.topLeft();
    const auto place = [&pixels, ratio](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-QPointF(pixels.topLeft()) / ratio);
    };

    // Between the rounded corners every row of pixels is the same, so the
    // tiles are drawn short by the rows of their straight middle, and the
    // middle row is copied in that many times.
    const int corner = ceilTo(spill + cornerRadius + 1) + 2;
    const int repeated = std::max(pixels.height() - (2 * corner + 1), 0);
    QImage sample(pixels.width(), pixels.height() - repeated, QImage::Format_ARGB32_Premultiplied);
    sample.setDevicePixelRatio(ratio);
    sample.fill(Qt::transparent);
    {
        QPainter painter(&sample);
        place(painter);
        for (std::size_t i = band.firstDeposit; i < end; ++i) {
            const auto& deposit = strata.deposits[i];
            if (deposit.isUninspected) continue;
            QRectF rect = deposit.rect;
            rect.setHeight(rect.height() - repeated / ratio);
            paintTile(painter, deposit, rect, 0, 0);
        }
    }
    resting.tiles = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < pixels.height(); ++row) {
        const int from = row < corner ? row : row <= corner + repeated ? corner : row - repeated;
        std::memcpy(resting.tiles.scanLine(row), sample.constScanLine(from),
                    static_cast<std::size_t>(sample.bytesPerLine()));
    }
    resting.tiles.setDevicePixelRatio(ratio);
    // A dashed border changes from row to row: those tiles are drawn whole.
    {
        QPainter painter(&resting.tiles);
        place(painter);
        for (std::size_t i = band.firstDeposit; i < end; ++i)
            if (strata.deposits[i].isUninspected) paintTile(painter, strata.deposits[i], strata.deposits[i].rect, 0, 0);
    }
    return resting;
}

void StrataCanvas::paintDeposits(QPainter& painter, const StrataLayout& strata, const StrataLayout::Band& band,
                                 const RestingBand& resting) {
    // Hovered (or still leaving hover) and selected tiles are drawn live; the
    // resting image is blitted around their columns, which no other tile
    // touches (the gap between tiles is over a pixel).
    struct Live {
        std::size_t index;
        double hover;
        double selected;
    };
    std::vector<Live> live;
    const std::size_t end = visibleEnd(strata, band);
    for (std::size_t i = band.firstDeposit; i < end; ++i) {
        const double hover = hoverAmount(Hit::item, i);
        const double selected = selectionAmount(*strata.deposits[i].node);
        if (hover != 0 || selected != 0) live.push_back({i, hover, selected});
    }

    if (!resting.tiles.isNull()) {
        const double ratio = restingRatio_;
        int from = 0;  // column of the resting image
        const auto blitUpTo = [&](int to) {
            if (to <= from) return;
            const QRectF source(from, 0, to - from, resting.tiles.height());
            painter.drawImage(QRectF((resting.origin.x() + from) / ratio, resting.origin.y() / ratio,
                                     source.width() / ratio, source.height() / ratio),
                              resting.tiles, source);
        };
        for (const Live& tile : live) {
            const QRectF& rect = strata.deposits[tile.index].rect;
            blitUpTo(static_cast<int>(std::floor(rect.left() * ratio)) - resting.origin.x());
            from = std::max(from, static_cast<int>(std::ceil(rect.right() * ratio)) - resting.origin.x());
        }
        blitUpTo(resting.tiles.width());
    }

    for (const Live& tile : live) {
        const auto& deposit = strata.deposits[tile.index];
        QRectF rect = deposit.rect;
        const double grown = rect.height() * hoverGrowth * tile.hover;
        rect.adjust(0, -grown / 2, 0, grown / 2);
        paintTile(painter, deposit, rect, tile.hover, tile.selected);
    }

    // A hovered tile grows about its centre, so its label stays put.
    if (resting.labels.empty()) return;
    const QFont symbols = symbolFont(10);
    const QFont nameFont = AppFont::font(11, QFont::Medium);
    const Palette& colours = palette();
    for (const auto& label : resting.labels) {
        const auto& deposit = strata.deposits[label.deposit];
        const QRectF inner = deposit.rect.adjusted(labelPadding, 0, -labelPadding, 0);
        painter.setPen(deposit.isUninspected ? colours.inkSecondary : colours.ink);
        painter.setFont(symbols);
        painter.drawText(QRectF(inner.left(), inner.top(), symbolWidth, inner.height()), Qt::AlignCenter, label.symbol);
        painter.setFont(nameFont);
        painter.drawText(inner.adjusted(labelIndent, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, label.name);
    }
}

void StrataCanvas::paintHeader(QPainter& painter, const StrataLayout::Band& band, std::size_t position) {
    const Palette& colours = palette();
    const auto& info = StrataLayout::bandTable[static_cast<std::size_t>(band.bandIndex)];
    // The hint and the mark ease in and out with the pointer.
    const double hover = std::clamp(hoverAmount(headerZone, position, headerHover), 0.0, 1.0);
    const bool full = isBandFullySelected(position);

    const QFont titleFont = AppFont::font(10, QFont::DemiBold, FontDesign::default_, colours.tracking + 0.7);
    const QFont sizeFont = AppFont::font(11, QFont::Medium);
    const QFont& hintFont = AppFont::small();
    const double width = StrataLayout::headerWidth;
    const QString hint = full ? QStringLiteral("Click to deselect all") : QStringLiteral("Click to select all");
    const QFontMetricsF titleMetrics(titleFont), sizeMetrics(sizeFont), hintMetrics(hintFont);
    QStringList blurbLines = fittedTextLines(text(info.blurb), hintFont, width, 2);
    QStringList hintLines = fittedTextLines(hint, hintFont, width, 2);
    // The blurb gives way to the hint in the same place: room for the longer of the two.
    const auto lines = StrataLayout::headerLines(
        band.header.height(), titleMetrics.height(), sizeMetrics.height(), hintMetrics.height(),
        static_cast<int>(std::max(blurbLines.size(), hintLines.size())));
    blurbLines = blurbLines.mid(0, lines.hint);
    hintLines = hintLines.mid(0, lines.hint);
    double height = titleMetrics.height();
    if (lines.size) height += 1 + sizeMetrics.height() + 1 + hintMetrics.height() * static_cast<double>(lines.hint);
    double y = band.header.top() + std::max((band.header.height() - height) / 2, StrataLayout::headerPadding);

    painter.save();
    painter.setClipRect(band.header);
    const QString name = text(info.name).toUpper();
    painter.setFont(titleFont);
    painter.setPen(colours.inkSecondary);
    painter.drawText(QPointF(band.header.left(), y + titleMetrics.ascent()), name);
    if (const double mark = full ? 1 : hover; mark > 0) {
        const double x = band.header.left() + titleMetrics.horizontalAdvance(name) + 4;
        painter.save();
        painter.setOpacity(painter.opacity() * mark);
        painter.setFont(symbolFont(10));
        painter.setPen(colours.accent);
        painter.drawText(QRectF(x, y, 11, titleMetrics.height()), Qt::AlignCenter,
                         symbolText(full ? "checkmark.circle.fill" : "plus.circle"));
        painter.restore();
    }
    y += titleMetrics.height() + 1;
    if (lines.size) {
        painter.setFont(sizeFont);
        painter.setPen(colours.ink);
        painter.drawText(QPointF(band.header.left(), y + sizeMetrics.ascent()),
                         QString::fromStdString(ByteFormat::string(band.total)));
        y += sizeMetrics.height() + 1;
    }
    painter.setFont(hintFont);
    const double opacity = painter.opacity();
    for (const auto& [shown, lineSet, colour] : {std::tuple{1 - hover, &blurbLines, colours.inkTertiary},
                                                 std::tuple{hover, &hintLines, colours.accent}}) {
        if (shown <= 0) continue;
        painter.setOpacity(opacity * shown);
        painter.setPen(colour);
        double lineY = y;
        for (const QString& line : *lineSet) {
            painter.drawText(QPointF(band.header.left(), lineY + hintMetrics.ascent()), line);
            lineY += hintMetrics.height();
        }
    }
    painter.restore();
}

void StrataCanvas::paintTile(QPainter& painter, const StrataLayout::Deposit& deposit, const QRectF& rect, double hover,
                            double selected) {
    const Palette& colours = palette();
    const QColor colour = colours.colorForNode(*deposit.node);
    const bool uninspected = deposit.isUninspected;
    const double fill =
        uninspected ? 0.1 : std::min((deposit.bandIndex * 0.13 + 0.62) * colours.fillStrength * 3.6, 0.92);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(colour, fill));
    painter.drawRoundedRect(rect, cornerRadius, cornerRadius);

    const double border = tileBorder(uninspected, hover, selected);
    // The selected border's width grows with it.
    const double lineWidth = 1 + std::clamp(selected, 0.0, 1.0);
    QPen pen(withOpacity(colour, border), lineWidth);
    if (uninspected) pen.setDashPattern({3.0 / lineWidth, 3.0 / lineWidth});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double inset = lineWidth / 2;
    painter.drawRoundedRect(rect.adjusted(inset, inset, -inset, -inset), cornerRadius, cornerRadius);
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
