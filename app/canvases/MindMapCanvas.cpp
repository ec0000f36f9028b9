#include "app/canvases/MindMapCanvas.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/canvases/CanvasPaint.h"
#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ShownToolTip.h"
#include "app/state/TreeNavigation.h"
#include "app/theme/MotionAnimation.h"
#include "app/theme/Palette.h"
#include "app/theme/SymbolGlyph.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double ringDelay = 0.07;  // each ring arrives this much after the one inside it
constexpr double entranceScale = 0.4;

// The capsule behind the zoom controls.
class ZoomToolbar : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        const Palette& colours = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect());
        const double radius = bounds.height() / 2;
        fillRounded(painter, bounds, radius, colours.panel);
        strokeInside(painter, bounds, radius, colours.hairline, 1);
    }
};

const QFont& labelNameFont() {
    static const QFont font = AppFont::font(10, QFont::Medium);
    return font;
}

const QFont& labelSizeFont() {
    static const QFont font = AppFont::font(9);
    return font;
}

// A long name gives its label no more than this; the hover card has the rest.
constexpr double widestLabelName = 160;

// A dot's label: its name over its size, padded 3 points at each side.
QSizeF labelSize(const StorageNode& node) {
    const QFontMetricsF nameMetrics(labelNameFont()), sizeMetrics(labelSizeFont());
    const double width =
        std::max(std::min(nameMetrics.horizontalAdvance(QString::fromStdString(node.name)), widestLabelName),
                 sizeMetrics.horizontalAdvance(QString::fromStdString(ByteFormat::string(node.bytes))));
    return {width + 2 + 6, nameMetrics.height() + sizeMetrics.height()};
}

// The root's name in its disc of this side: one line when it fits, else
// two lines split between folders or words (never inside a folder's name),
// each as wide as the disc is at that height, the second cut at its end.
QStringList rootNameLines(const QString& name, double side) {
    static const QFont font = AppFont::font(11, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const double oneLine = std::max(side - 10, 0.0);
    if (metrics.horizontalAdvance(name) <= oneLine) return {name};
    // Two name lines and the size line stand about 1.5 lines off the centre.
    const double offset = 1.5 * metrics.height();
    const double radius = side / 2;
    const double chord = 2 * std::sqrt(std::max(radius * radius - offset * offset, 0.0)) - 6;
    const double width = std::max(std::min(chord, oneLine), 0.0);
    return fittedTextLines(name, font, width, 2);
}

// Where a resting dot and its label (when shown) paint, in map coordinates.
QRectF dotArea(const MindMapLayout::Dot& dot, bool withLabel) {
    const QPointF point = dot.point;
    QRectF area(point.x() - dot.dotRadius / 2, point.y() - dot.dotRadius / 2, dot.dotRadius, dot.dotRadius);
    if (withLabel && dot.depth != 0) {
        const QSizeF box = labelSize(*dot.node);
        const double top = dot.labelBelow ? point.y() + 0.5 * dot.dotRadius + 4 : point.y() - dot.dotRadius - 16;
        area |= QRectF(point.x() - box.width() / 2, top, box.width(), box.height());
    }
    return area.adjusted(-3, -3, 3, 3);
}

// The links from each dot to its parent, faded in with the entrance.
void paintLinks(QPainter& painter, const MindMapLayout& map, const Palette& colours,
                const std::optional<QRectF>& clip, double shown) {
    painter.save();
    painter.setOpacity(painter.opacity() * shown);
    painter.setBrush(Qt::NoBrush);
    for (const auto& dot : map.dots) {
        if (!dot.parent) continue;
        const QPointF from = map.dots[*dot.parent].point;
        if (clip && !clip->intersects(QRectF(from, dot.point).normalized().adjusted(-3, -3, 3, 3))) continue;
        QPainterPath link(from);
        link.quadTo((from + dot.point) / 2, dot.point);
        painter.setPen(
            QPen(tinted(colours.colorForNode(*dot.node), 0.45), MindMapLayout::linkWidth(dot.depth)));
        painter.drawPath(link);
    }
    painter.restore();
}

// The name stays inside the root's disc: on one line, or on two where the
// disc is still wide enough, shortened only past that.
void paintRootText(QPainter& painter, const StorageNode& node, QPointF point, double side,
                   const Palette& colours) {
    static const QFont rootNameFont = AppFont::font(11, QFont::DemiBold);
    static const QFont rootSizeFont = AppFont::font(10, QFont::Medium);
    const QFontMetricsF nameMetrics(rootNameFont), sizeMetrics(rootSizeFont);
    const QStringList lines = rootNameLines(QString::fromStdString(node.name), side);
    double top =
        point.y() - (nameMetrics.height() * static_cast<double>(lines.size()) + sizeMetrics.height()) / 2;
    for (const QString& line : lines) {
        drawLine(painter, QRectF(point.x() - side / 2, top, side, nameMetrics.height()), line, rootNameFont,
                 colours.onSolid, Qt::AlignCenter);
        top += nameMetrics.height();
    }
    drawLine(painter, QRectF(point.x() - side / 2, top, side, sizeMetrics.height()),
             QString::fromStdString(ByteFormat::string(node.bytes)), rootSizeFont, colours.onSolid,
             Qt::AlignCenter);
}

// A dot's label on a faint backing: its name over its size.
void paintLabel(QPainter& painter, const MindMapLayout::Dot& dot, QPointF point, double scale,
                const Palette& colours) {
    const QSizeF box = labelSize(*dot.node);
    const QFontMetricsF nameMetrics(labelNameFont());
    // Above: lifted by half the dot and 16 points over the dot's frame;
    // below: 4 points under the dot.
    const double top = dot.labelBelow ? point.y() + (0.5 * dot.dotRadius + 4) * scale
                                      : point.y() - (dot.dotRadius + 16) * scale;
    const QRectF label(point.x() - box.width() / 2, top, box.width(), box.height());
    painter.fillRect(label, tinted(colours.canvas, 0.75));
    const QRectF text = label.adjusted(3, 0, -3, 0);
    drawLine(painter, QRectF(text.left(), text.top(), text.width(), nameMetrics.height()),
             fittedText(QString::fromStdString(dot.node->name), labelNameFont(), text.width()),
             labelNameFont(), colours.ink, Qt::AlignCenter);
    drawLine(painter,
             QRectF(text.left(), text.top() + nameMetrics.height(), text.width(),
                    box.height() - nameMetrics.height()),
             QString::fromStdString(ByteFormat::string(dot.node->bytes)), labelSizeFont(),
             colours.inkSecondary, Qt::AlignCenter);
}

QToolButton* symbolButton(const char* symbol, const char* help) {
    auto* button = new QToolButton;
    button->setAutoRaise(true);
    button->setText(symbolText(symbol));
    button->setFont(symbolFont(11));
    button->setFixedSize(22, 18);
    setShownToolTip(*button, QString::fromUtf8(help));
    button->setAccessibleName(QString::fromUtf8(help));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

}  // namespace

MindMapCanvas::MindMapCanvas(const CanvasParts& parts, QWidget* parent)
    : LayoutCanvas<MindMapLayout>(parts, CanvasMode::mindMap, parent),
      shownZoom_(new MotionAnimation(AppMotion::snappy, 1.0, this)),
      shownPan_(new MotionAnimation(AppMotion::gentle, QPointF(), this)),
      toolbar_(new ZoomToolbar(this)),
      zoomOut_(symbolButton("minus.magnifyingglass", "Zoom out")),
      readout_(new QLabel),
      zoomIn_(symbolButton("plus.magnifyingglass", "Zoom in")),
      divider_(new Hairline(Qt::Vertical)),
      reset_(symbolButton("arrow.counterclockwise", "Reset view")) {
    allowDrag(dragThreshold);
    readout_->setTextFormat(Qt::PlainText);
    readout_->setAlignment(Qt::AlignCenter);
    readout_->setFixedWidth(42);
    divider_->setFixedHeight(14);
    auto* row = new QHBoxLayout(toolbar_);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(2);
    row->addWidget(zoomOut_);
    row->addWidget(readout_);
    row->addWidget(zoomIn_);
    row->addWidget(divider_);
    row->addWidget(reset_);
    connect(zoomOut_, &QToolButton::clicked, this, [this] { zoomBy(1 / MindMapLayout::zoomStep); });
    connect(zoomIn_, &QToolButton::clicked, this, [this] { zoomBy(MindMapLayout::zoomStep); });
    connect(reset_, &QToolButton::clicked, this, [this] { resetView(true); });
    for (MotionAnimation* motion : {shownZoom_, shownPan_})
        connect(motion, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    showZoom();
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

MindMapLayout MindMapCanvas::buildLayout(const StorageNode& root, QSizeF size) {
    MindMapLayout map = MindMapLayout::make(root, size, depth());
    map.placeLabels(labelSize);
    return map;
}

void MindMapCanvas::followRoot() {
    if (!root()) return;
    if (rootID_ && *rootID_ != root()->id) resetView();
    rootID_ = root()->id;
}

double MindMapCanvas::zoom() {
    followRoot();
    return zoom_;
}

QPointF MindMapCanvas::pan() {
    followRoot();
    return pan_;
}

double MindMapCanvas::shownZoom() const { return shownZoom_->currentValue().toDouble(); }

QPointF MindMapCanvas::shownPan() const { return shownPan_->currentValue().toPointF(); }

void MindMapCanvas::setZoom(double zoom, bool commit, const Motion* motion) {
    zoom_ = MindMapLayout::clampZoom(zoom);
    if (commit) committedZoom_ = zoom_;
    showZoom();
    moveView(motion);
}

void MindMapCanvas::moveView(const Motion* motion) {
    if (motion && isVisible()) {
        shownZoom_->setMotion(*motion);
        shownZoom_->animateTo(zoom_);
        shownPan_->setMotion(*motion);
        shownPan_->animateTo(pan_);
    } else {
        shownZoom_->jumpTo(zoom_);
        shownPan_->jumpTo(pan_);
    }
    update();
}

void MindMapCanvas::zoomBy(double factor) {
    followRoot();
    setZoom(zoom_ * factor, true, &AppMotion::snappy);
}

void MindMapCanvas::resetView(bool animated) {
    zoom_ = committedZoom_ = 1;
    pan_ = committedPan_ = QPointF();
    showZoom();
    moveView(animated ? &AppMotion::gentle : nullptr);
}

void MindMapCanvas::showZoom() { readout_->setText(QString::fromStdString(MindMapLayout::zoomText(zoom_))); }

QRectF MindMapCanvas::itemBounds(std::size_t item) {
    // Every dot is positioned over the whole canvas, so the card is placed against it.
    return item < layout().dots.size() ? QRectF(rect()) : QRectF();
}

const StorageNode* MindMapCanvas::itemNode(std::size_t item) {
    const auto& dots = layout().dots;
    return item < dots.size() ? dots[item].node : nullptr;
}

std::optional<CanvasBase::Hit> MindMapCanvas::hitAt(QPointF point) {
    followRoot();
    if (toolbar_->geometry().contains(point.toPoint())) return std::nullopt;
    const MindMapLayout& map = layout();
    if (const auto dot = map.dotAt(map.toMap(point, shownZoom(), shownPan()))) return Hit{Hit::item, *dot};
    return std::nullopt;
}

void MindMapCanvas::clicked(const Hit& hit) {
    CanvasBase::clicked(hit);
    const auto& dots = layout().dots;
    if (hit.index >= dots.size()) return;
    const MindMapLayout::Dot& dot = dots[hit.index];
    if (dot.depth == 0 || !TreeNavigation::opens(*dot.node)) return;
    resetView();
    drill(*dot.node);
}

std::vector<CanvasBase::Hit> MindMapCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    followRoot();
    for (std::size_t i = 0; i < layout().dots.size(); ++i) targets.push_back({Hit::item, i});
    return targets;
}

QRectF MindMapCanvas::targetRect(const Hit& hit) {
    const auto& dots = layout().dots;
    if (hit.index >= dots.size()) return {};
    return viewTransform().mapRect(dotArea(dots[hit.index], false));
}

void MindMapCanvas::reveal(const Hit& hit) {
    const QRectF dot = targetRect(hit);
    if (dot.isEmpty() || QRectF(rect()).contains(dot.center())) return;
    pan_ += QRectF(rect()).center() - dot.center();
    committedPan_ = pan_;
    moveView(&AppMotion::snappy);
}

QTransform MindMapCanvas::viewTransform() const {
    // Zoomed about the canvas centre, then moved by the pan (not divided by the zoom).
    const QPointF centre = QRectF(rect()).center();
    const double zoom = shownZoom();
    const QPointF pan = shownPan();
    QTransform transform;
    transform.translate(pan.x() + centre.x(), pan.y() + centre.y());
    transform.scale(zoom, zoom);
    transform.translate(-centre.x(), -centre.y());
    return transform;
}

QRectF MindMapCanvas::hoverArea(const Hit& hit) {
    followRoot();
    const auto& dots = layout().dots;
    if (hit.index >= dots.size()) return {};
    return viewTransform().mapRect(dotArea(dots[hit.index], true));
}

void MindMapCanvas::paintCanvas(QPainter& painter) {
    followRoot();
    const Palette& colours = palette();
    const MindMapLayout& map = layout();
    painter.save();
    painter.setClipRect(rect(), Qt::IntersectClip);
    // Over the resting picture only the hovered dots are drawn again.
    const bool partial = !painter.clipBoundingRect().contains(QRectF(rect()));
    painter.setTransform(viewTransform(), true);
    const std::optional<QRectF> clip = partial ? std::optional(painter.clipBoundingRect()) : std::nullopt;
    const QPointF centre = QRectF(rect()).center();
    // A dot's place during the entrance: grown out of the canvas centre.
    const auto grown = [&](QPointF point, double scale) { return centre + (point - centre) * scale; };

    const double linksShown = std::clamp(entrance(0), 0.0, 1.0);
    if (linksShown > 0) paintLinks(painter, map, colours, clip, linksShown);

    for (std::size_t i = 0; i < map.dots.size(); ++i) {
        const MindMapLayout::Dot& dot = map.dots[i];
        const double progress = entrance(ringDelay * dot.depth);
        const double shown = std::clamp(progress, 0.0, 1.0);
        if (shown <= 0) continue;
        if (clip && progress >= 1 &&
            !clip->intersects(dotArea(dot, dot.labelShown || isHovered(Hit::item, i))))
            continue;
        const double scale = entranceScale + (1 - entranceScale) * progress;
        painter.save();
        painter.setOpacity(painter.opacity() * shown);
        const QPointF point = grown(dot.point, scale);
        const double side = dot.dotRadius * scale;
        const QRectF disc(point.x() - side / 2, point.y() - side / 2, side, side);
        const QColor colour = colours.colorForNode(*dot.node);
        const bool hovered = isHovered(Hit::item, i);
        const bool selected = isSelectedNode(*dot.node);
        fillRounded(painter, disc, side / 2, dot.depth == 0 ? colours.solid : tinted(colour, 0.55));
        strokeInside(painter, disc, side / 2, selected ? colour : tinted(colour, hovered ? 0.9 : 0.35),
                     selected ? 2.5 : 1.5);
        if (dot.depth == 0)
            paintRootText(painter, *dot.node, point, side, colours);
        else if (dot.labelShown || hovered)
            paintLabel(painter, dot, point, scale, colours);
        painter.restore();
    }
    painter.restore();
}

bool MindMapCanvas::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        followRoot();
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            setZoom(zoom_ * (1 + gesture->value()), false);
            return true;
        }
        if (gesture->gestureType() == Qt::EndNativeGesture) {
            committedZoom_ = zoom_;
            return true;
        }
    }
    return LayoutCanvas<MindMapLayout>::event(event);
}

void MindMapCanvas::wheelEvent(QWheelEvent* event) {
    // Ctrl + wheel is the pinch of a mouse.
    if (!(event->modifiers() & Qt::ControlModifier)) return event->ignore();
    followRoot();
    setZoom(zoom_ * std::pow(MindMapLayout::zoomStep, event->angleDelta().y() / 120.0), true);
}

void MindMapCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) followRoot();
    LayoutCanvas<MindMapLayout>::mousePressEvent(event);
}

void MindMapCanvas::dragged(QPointF moved) {
    pan_ = committedPan_ + moved;
    shownPan_->jumpTo(pan_);
    update();
}

void MindMapCanvas::dragEnded() { committedPan_ = pan_; }

void MindMapCanvas::resizeEvent(QResizeEvent* event) {
    LayoutCanvas<MindMapLayout>::resizeEvent(event);
    placeToolbar();
}

void MindMapCanvas::placeToolbar() {
    toolbar_->adjustSize();
    const QSize size = toolbar_->sizeHint();
    toolbar_->setGeometry(width() - size.width() - 10, height() - size.height() - 10, size.width(), size.height());
}

void MindMapCanvas::restyle() {
    const Palette& colours = environmentPalette(this);
    styleLabel(readout_, AppFont::font(10, QFont::Medium), colours.inkSecondary);
    for (QToolButton* button : {zoomOut_, zoomIn_, reset_}) {
        QPalette buttonColours = button->palette();
        buttonColours.setColor(QPalette::ButtonText, colours.inkSecondary);
        button->setPalette(buttonColours);
    }
    placeToolbar();
}

}  // namespace korvane
