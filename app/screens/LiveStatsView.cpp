#include "app/screens/LiveStatsView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/kit/LiveFigureWatch.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScrollFocus.h"
#include "app/kit/WrapLayout.h"
#include "app/state/LiveStatsState.h"
#include "app/state/PlatformWords.h"
#include "app/theme/AppFont.h"
#include "app/theme/GaugeMotion.h"

namespace korvane {

namespace {

// The rings' drawn side and line at their smallest; a taller page draws them
// larger, up to the largest side, so that the cards fill the page.
constexpr double smallestRingSide = 62;
constexpr double ringLine = 8;
constexpr double largestRingSide = 200;
// What a meter keeps beside its ring for the caption and the detail.
constexpr double meterTextRoom = 210;
// The page's margin, the room between its cards and the cards' padding: the
// rings are sized from them.
constexpr int pageMargin = 18;
constexpr int cardSpacing = 14;
constexpr int cardPadding = 12;

// The ring of a meter: a hairline track and the reading's arc from twelve
// o'clock, with the whole percent in the centre. The arc is centred on the
// frame's edge, so the widget keeps room around the frame for it. A new
// reading eases the arc there and counts the number along with it.
class Ring : public QWidget {
public:
    Ring() : reading_(new GaugeMotion(AppMotion::reading, 0.0, this)) {
        setSide(smallestRingSide);
        // A frame only when the arc's end moves by a pixel or the number changes.
        connect(reading_, &GaugeMotion::valueChanged, this, &Ring::follow);
    }
    void apply(const MeterContent& meter) {
        const bool first = meter_.title.empty();
        const bool tinted = meter.tint != meter_.tint;
        meter_ = meter;
        reading_->setScale(side_ * std::numbers::pi);
        if (first) reading_->jumpTo(meter.value);
        else reading_->animateTo(meter.value);
        if (first || tinted) update();
        else follow();
    }
    void setSide(double side) {
        side_ = side;
        const int outer = static_cast<int>(std::ceil(side + line() + 1));
        setFixedSize(outer, outer);
        update();
    }
    double side() const { return side_; }
    void follow() {
        Picture now{std::lround(shownArc() * side_ * std::numbers::pi), shownNumber()};
        if (now == painted_) return;
        painted_ = std::move(now);
        update();
    }
    double shownArc() const { return std::max(std::min(reading_->value(), 1.0), 0.001); }
    // The reading's own number once the arc has landed (the battery's percentage
    // is not always its fraction's whole percent).
    QString shownNumber() const {
        if (reading_->isRunning()) return QString::fromStdString(meterNumber(reading_->value()));
        return QString::fromStdString(meter_.number);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(QPointF(width() - side_, height() - side_) / 2, QSizeF(side_, side_));
        const double half = line() / 2;
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette.hairline, line(), Qt::SolidLine, Qt::FlatCap));
        painter.drawEllipse(frame.adjusted(half, half, -half, -half));
        painter.setPen(QPen(tintColor(meter_.tint, palette), line(), Qt::SolidLine, Qt::RoundCap));
        painted_ = {std::lround(shownArc() * side_ * std::numbers::pi), shownNumber()};
        painter.drawArc(frame, 90 * 16, -static_cast<int>(std::lround(shownArc() * 360 * 16)));
        painter.setPen(palette.ink);
        // The number grows more slowly than the ring, so it stays a label.
        painter.setFont(AppFont::font(15 * std::pow(side_ / smallestRingSide, 0.7), QFont::DemiBold));
        painter.drawText(frame, Qt::AlignCenter, painted_.number);
    }

private:
    double line() const { return ringLine * side_ / smallestRingSide; }

    struct Picture {
        long arcEnd = -1;  // in pixels along the circle
        QString number;
        bool operator==(const Picture&) const = default;
    };

    MeterContent meter_;
    Picture painted_;
    GaugeMotion* reading_;
    double side_ = smallestRingSide;
};

// A ring gauge in its panel: title, ring, caption and detail.
class Meter : public Panel {
public:
    Meter()
        : Panel(cardPadding),
          title_(plainLabel()),
          ring_(new Ring),
          caption_(plainLabel()),
          detail_(plainLabel()) {
        restyleOnPaletteChange(*this, [this] { restyle(); });
        contentLayout()->setSpacing(10);
        contentLayout()->addWidget(title_);
        // A card taller than its content keeps the ring and texts in its middle.
        contentLayout()->addStretch(1);
        auto* line = new QHBoxLayout;
        line->setSpacing(13 - 5);  // the ring keeps room for its arc
        line->addWidget(ring_);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(3);
        texts->addStretch(1);
        texts->addWidget(caption_);
        detail_->setWordWrap(true);
        texts->addWidget(detail_);
        texts->addStretch(1);
        line->addLayout(texts, 1);
        contentLayout()->addLayout(line);
        contentLayout()->addStretch(1);
        restyle();
    }
    void apply(const MeterContent& meter) {
        title_->setText(QString::fromStdString(meter.title));
        caption_->setText(QString::fromStdString(meter.caption));
        detail_->setText(QString::fromStdString(meter.detail));
        ring_->apply(meter);
        setAccessibleName(QString::fromStdString(meter.title + " " + meter.number));
    }
    const Ring& ring() const { return *ring_; }
    Ring& ring() { return *ring_; }
    // The width it needs with the smallest ring: the rows follow the texts,
    // never the ring that the rows leave room for.
    int widthNeeded() const {
        const int smallest = static_cast<int>(std::ceil(smallestRingSide + ringLine + 1));
        return minimumSizeHint().width() - ring_->width() + smallest;
    }
    // The height of everything but the ring: padding, title and spacing.
    int chromeHeight() const {
        return 2 * cardPadding + title_->sizeHint().height() + contentLayout()->spacing();
    }
    void restyle() {
        const Palette& palette = environmentPalette(this);
        // Section labels take the label face whatever the theme's own design.
        styleLabel(title_, AppFont::font(10, QFont::DemiBold, FontDesign::default_, 0.7),
                   palette.inkTertiary);
        styleLabel(caption_, AppFont::font(12, QFont::Medium), palette.ink);
        styleLabel(detail_, AppFont::small(), palette.inkTertiary);
    }

protected:
private:
    QLabel* title_;
    Ring* ring_;
    QLabel* caption_;
    QLabel* detail_;
};

// The memory kinds side by side, each as wide as its share of the physical
// memory (less the 2 points between them); no track behind them. A new
// reading eases every segment from where it stands to its new width.
class StackedMemoryBar : public QWidget {
public:
    StackedMemoryBar() : progress_(new GaugeMotion(AppMotion::reading, 1.0, this)) {
        setFixedHeight(14);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        // A frame only when some segment's end moves by a pixel.
        connect(progress_, &GaugeMotion::valueChanged, this, [this] {
            if (std::vector<long> now = ends(); now != paintedEnds_) {
                paintedEnds_ = std::move(now);
                update();
            }
        });
    }
    void apply(std::vector<MemoryKindContent> kinds) {
        std::vector<double> target;
        for (const MemoryKindContent& kind : kinds) target.push_back(kind.fraction);
        const bool first = kinds_.empty();
        from_ = first ? target : shownFractions();
        to_ = std::move(target);
        kinds_ = std::move(kinds);
        // The progress runs 0…1; the segment that moves most sets the pixels per unit.
        double travel = 0;
        for (std::size_t i = 0; i < to_.size(); ++i) travel = std::max(travel, std::abs(to_[i] - from_[i]));
        progress_->setScale(travel * width());
        progress_->jumpTo(0.0);
        progress_->animateTo(1.0);
        if (first) progress_->jumpTo(1.0);
        update();
    }
    std::vector<double> shownFractions() const {
        const double t = progress_->value();
        std::vector<double> shown(to_.size());
        for (std::size_t i = 0; i < to_.size(); ++i) shown[i] = from_.size() == to_.size() ? from_[i] + (to_[i] - from_[i]) * t : to_[i];
        return shown;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const std::vector<double> fractions = shownFractions();
        paintedEnds_ = ends();
        double left = 0;
        for (std::size_t i = 0; i < kinds_.size(); ++i) {
            const double width = std::max(fractions[i] * this->width() - 2, 0.0);
            painter.setBrush(palette.colorForCategory(kinds_[i].colorOf));
            painter.drawRoundedRect(QRectF(left, 0, width, height()), 3, 3);
            left += width + 2;
        }
    }

private:
    // Each segment's width in whole pixels.
    std::vector<long> ends() const {
        std::vector<long> widths;
        for (double fraction : shownFractions()) widths.push_back(std::lround(fraction * width()));
        return widths;
    }

    std::vector<MemoryKindContent> kinds_;
    std::vector<long> paintedEnds_;
    std::vector<double> from_;
    std::vector<double> to_;
    GaugeMotion* progress_;
};

// The legend's 9-point colour key.
class LegendKey : public QWidget {
public:
    LegendKey() { setFixedSize(9, 9); }
    void setColor(const QColor& color) {
        color_ = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color_);
        painter.drawRoundedRect(QRectF(rect()), 2, 2);
    }

private:
    QColor color_;
};

}  // namespace

LiveStatsView::LiveStatsView(LiveStatsState& stats, QWidget* parent)
    : QWidget(parent),
      stats_(stats),
      memoryBar_(new StackedMemoryBar),
      breakdownTitle_(plainLabel(QStringLiteral("MEMORY BREAKDOWN"))),
      swap_(plainLabel()),
      uptimeTitle_(plainLabel(QStringLiteral("Uptime"))),
      uptime_(plainLabel()),
      updates_(plainLabel(QStringLiteral("Updates every 2 seconds"))),
      source_(plainLabel(QString::fromUtf8(platformWords::statisticsSource))) {
    auto* column = new QVBoxLayout(scrolledContent());
    column->setContentsMargins(pageMargin, pageMargin, pageMargin, pageMargin);
    column->setSpacing(cardSpacing);
    // The meters take the height the other cards leave: the page has no hole.
    column->addLayout(buildMeters(), 1);
    column->addWidget(breakdown_ = buildBreakdown());
    column->addWidget(footer_ = buildFooter());

    connect(&stats_, &LiveStatsState::statsChanged, this, &LiveStatsView::refresh);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    refresh();
    new LiveFigureWatch(stats_, *this);
}

QWidget* LiveStatsView::scrolledContent() {
    auto* scroll = new QScrollArea;
    scroll->setAccessibleName(QStringLiteral("Live stats"));
    followScrollFocus(*scroll);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    return content;
}

QLayout* LiveStatsView::buildMeters() {
    auto* rows = new QVBoxLayout;
    rows->setSpacing(cardSpacing);
    for (int i = 0; i < 3; ++i) {
        // A row of its own, hidden while it holds no meter: it takes no room then.
        auto* line = new QWidget;
        auto* row = new QHBoxLayout(line);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(cardSpacing);
        rows->addWidget(line, 1);
        meterRows_.push_back(row);
        meters_.push_back(new Meter);
        meterRows_.front()->addWidget(meters_.back(), 1);
    }
    return rows;
}

std::vector<int> LiveStatsView::meterRowsFor(int width) const {
    // Side by side while they fit at the width their texts need, else on the next row.
    std::vector<int> rowOf;
    int row = 0;
    int used = 0;
    for (std::size_t i = 0; i < content_.meters.size(); ++i) {
        const int need = static_cast<const Meter*>(meters_[i])->widthNeeded();
        if (i == 0)
            used = need;
        else if (used + cardSpacing + need > width) {
            ++row;
            used = need;
        } else
            used += cardSpacing + need;
        rowOf.push_back(row);
    }
    return rowOf;
}

void LiveStatsView::placeMeters(bool onlyIfCut) {
    const int inner = width() - 2 * pageMargin;
    const std::vector<int> rowOf = meterRowsFor(inner);
    if (onlyIfCut) {
        // A new reading moves the meters only where a wider figure no longer fits,
        // so they do not hop between rows as the figures change.
        bool cut = false;
        for (QHBoxLayout* row : meterRows_) {
            int used = -cardSpacing;
            for (int i = 0; i < row->count(); ++i)
                if (QWidget* meter = row->itemAt(i)->widget(); meter && !meter->isHidden())
                    used += cardSpacing + static_cast<const Meter*>(meter)->widthNeeded();
            cut = cut || used > inner;
        }
        if (!cut) return;
    }
    for (QHBoxLayout* row : meterRows_)
        for (QWidget* meter : meters_) row->removeWidget(meter);
    for (std::size_t i = 0; i < meters_.size(); ++i)
        meterRows_[i < rowOf.size() ? static_cast<std::size_t>(rowOf[i]) : 0]->addWidget(meters_[i], 1);
    for (std::size_t row = 0; row < meterRows_.size(); ++row)
        meterRows_[row]->parentWidget()->setVisible(
            row == 0 || std::find(rowOf.begin(), rowOf.end(), static_cast<int>(row)) != rowOf.end());
}

QWidget* LiveStatsView::buildBreakdown() {
    auto* breakdown = new Panel(cardPadding);
    breakdown->contentLayout()->setSpacing(11);
    breakdown->contentLayout()->addWidget(breakdownTitle_);
    breakdown->contentLayout()->addWidget(memoryBar_);
    breakdown->contentLayout()->addLayout(buildLegend());
    swap_->setWordWrap(true);
    breakdown->contentLayout()->addWidget(swap_);
    return breakdown;
}

QLayout* LiveStatsView::buildLegend() {
    // A narrow page takes the kinds onto a second line rather than cutting them.
    auto* legend = new WrapLayout(16, 6);
    for (int i = 0; i < 4; ++i) {
        auto* item = new QWidget;
        auto* parts = new QHBoxLayout(item);
        parts->setContentsMargins(0, 0, 0, 0);
        parts->setSpacing(6);
        auto* key = new LegendKey;
        parts->addWidget(key);
        legendKeys_.push_back(key);
        legendLabels_.push_back(plainLabel());
        legendBytes_.push_back(plainLabel());
        parts->addWidget(legendLabels_.back());
        parts->addWidget(legendBytes_.back());
        legend->addWidget(item);
    }
    return legend;
}

QWidget* LiveStatsView::buildFooter() {
    auto* footer = new Panel(cardPadding);
    auto* footerLine = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    left->addWidget(uptimeTitle_);
    left->addWidget(uptime_);
    footerLine->addLayout(left);
    footerLine->addStretch(1);
    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    right->addWidget(updates_, 0, Qt::AlignRight);
    right->addWidget(source_, 0, Qt::AlignRight);
    footerLine->addLayout(right);
    footer->contentLayout()->addLayout(footerLine);
    return footer;
}

std::vector<QWidget*> LiveStatsView::meters() const {
    std::vector<QWidget*> shown;
    for (std::size_t i = 0; i < content_.meters.size(); ++i) shown.push_back(meters_[i]);
    return shown;
}

QString LiveStatsView::shownNumber(std::size_t meter) const {
    return static_cast<const Meter*>(meters_.at(meter))->ring().shownNumber();
}

double LiveStatsView::shownArc(std::size_t meter) const {
    return static_cast<const Meter*>(meters_.at(meter))->ring().shownArc();
}

std::vector<double> LiveStatsView::shownSegments() const {
    return static_cast<const StackedMemoryBar*>(memoryBar_)->shownFractions();
}

void LiveStatsView::refresh() {
    LiveStatsContent content = liveStatsContent(stats_.stats());
    // A sample that draws the same picture touches nothing.
    if (!content_.meters.empty() && looksTheSame(content_, content)) return;
    // A battery or a swap line that comes or goes changes the meters' room.
    const bool roomChanges = content.meters.size() != content_.meters.size() ||
                             content.swapWarning.has_value() != content_.swapWarning.has_value();
    content_ = std::move(content);
    for (std::size_t i = 0; i < meters_.size(); ++i) {
        meters_[i]->setVisible(i < content_.meters.size());
        if (i < content_.meters.size()) static_cast<Meter*>(meters_[i])->apply(content_.meters[i]);
    }
    static_cast<StackedMemoryBar*>(memoryBar_)->apply(content_.memory);
    for (std::size_t i = 0; i < legendLabels_.size(); ++i) {
        const bool shown = i < content_.memory.size();
        legendKeys_[i]->parentWidget()->setVisible(shown);
        if (!shown) continue;
        legendLabels_[i]->setText(QString::fromStdString(content_.memory[i].label));
        legendBytes_[i]->setText(QString::fromStdString(content_.memory[i].bytes));
    }
    swap_->setVisible(content_.swapWarning.has_value());
    swap_->setText(QString::fromStdString(content_.swapWarning.value_or("")));
    uptime_->setText(QString::fromStdString(content_.uptime));
    restyle();
    placeMeters(!roomChanges);
    if (roomChanges) sizeRings();
}

double LiveStatsView::ringSideFor(int height, int width) {
    // The ring's widget is its side plus a line and a pixel.
    const double grown = 1 + ringLine / smallestRingSide;
    const double byHeight = (height - 1) / grown;
    const double byWidth = (width - 8 - meterTextRoom - 1) / grown;
    return std::clamp(std::floor(std::min(byHeight, byWidth)), smallestRingSide, largestRingSide);
}

void LiveStatsView::sizeRings() {
    // From the page's own size and the other cards, never the meters' own
    // size, so that a larger ring cannot feed back into it.
    const int inner = width() - 2 * pageMargin;
    // The fullest row sets the cards' width; the rows share the height.
    const std::vector<int> rowOf = meterRowsFor(inner);
    const int rows = rowOf.empty() ? 1 : rowOf.back() + 1;
    int shown = 1;
    for (int row = 0; row < rows; ++row)
        shown = std::max(shown, static_cast<int>(std::count(rowOf.begin(), rowOf.end(), row)));
    const auto heightOf = [inner](const QWidget* card) {
        return card->hasHeightForWidth() ? card->heightForWidth(inner) : card->sizeHint().height();
    };
    const auto* meter = static_cast<const Meter*>(meters_.front());
    const int room =
        (height() - 2 * pageMargin - (1 + rows) * cardSpacing - heightOf(breakdown_) - heightOf(footer_)) /
            rows -
        meter->chromeHeight();
    const int cardWidth = (inner - cardSpacing * (shown - 1)) / shown - 2 * cardPadding;
    const double side = ringSideFor(room, cardWidth);
    for (QWidget* each : meters_) static_cast<Meter*>(each)->ring().setSide(side);
}

double LiveStatsView::ringSide(std::size_t meter) const {
    return static_cast<const Meter*>(meters_.at(meter))->ring().side();
}

void LiveStatsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeMeters(false);
    sizeRings();
}

void LiveStatsView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), environmentPalette(this).canvas);
}

void LiveStatsView::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(breakdownTitle_, AppFont::font(10, QFont::DemiBold, FontDesign::default_, 0.6),
               palette.inkTertiary);
    for (std::size_t i = 0; i < legendLabels_.size(); ++i) {
        styleLabel(legendLabels_[i], AppFont::caption(), palette.inkSecondary);
        styleLabel(legendBytes_[i], AppFont::font(11, QFont::Medium), palette.ink);
        if (i < content_.memory.size())
            static_cast<LegendKey*>(legendKeys_[i])
                ->setColor(palette.colorForCategory(content_.memory[i].colorOf));
    }
    styleLabel(swap_, AppFont::caption(), palette.amber());
    styleLabel(uptimeTitle_, AppFont::caption(), palette.inkSecondary);
    styleLabel(uptime_, AppFont::font(15, QFont::Medium), palette.ink);
    styleLabel(updates_, AppFont::small(), palette.inkTertiary);
    styleLabel(source_, AppFont::small(), palette.inkTertiary);
}

}  // namespace korvane
