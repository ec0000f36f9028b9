#include "app/screens/LiveStatsView.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/PlainLabel.h"
#include "app/presenters/PlatformWords.h"
#include "app/state/AppState.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

constexpr double ringSide = 62;
constexpr double ringLine = 8;

// The ring of a meter: a hairline track and the reading's arc from twelve
// o'clock, with the whole percent in the centre. The arc is centred on the
// frame's edge, so the widget keeps room around the frame for it.
class Ring : public QWidget {
public:
    Ring() {
        const int side = static_cast<int>(std::ceil(ringSide + ringLine + 1));
        setFixedSize(side, side);
    }
    void apply(const MeterContent& meter) {
        meter_ = meter;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(QPointF(width() - ringSide, height() - ringSide) / 2, QSizeF(ringSide, ringSide));
        const double half = ringLine / 2;
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette.hairline, ringLine, Qt::SolidLine, Qt::FlatCap));
        painter.drawEllipse(frame.adjusted(half, half, -half, -half));
        painter.setPen(QPen(tintColor(meter_.tint, palette), ringLine, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(frame, 90 * 16, -static_cast<int>(std::lround(meter_.arcEnd * 360 * 16)));
        painter.setPen(palette.ink);
        painter.setFont(AppFont::font(15, QFont::DemiBold));
        painter.drawText(frame, Qt::AlignCenter, QString::fromStdString(meter_.number));
    }

private:
    MeterContent meter_;
};

// A ring gauge in its panel: title, ring, caption and detail.
class Meter : public Panel {
public:
    Meter() : Panel(12), title_(plainLabel()), ring_(new Ring), caption_(plainLabel()), detail_(plainLabel()) {
        contentLayout()->setSpacing(10);
        contentLayout()->addWidget(title_);
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
        restyle();
    }
    void apply(const MeterContent& meter) {
        title_->setText(QString::fromStdString(meter.title));
        caption_->setText(QString::fromStdString(meter.caption));
        detail_->setText(QString::fromStdString(meter.detail));
        ring_->apply(meter);
        setAccessibleName(QString::fromStdString(meter.title + " " + meter.number + " percent"));
    }
    void restyle() {
        const Palette& palette = environmentPalette(this);
        styleLabel(title_, AppFont::font(10, QFont::DemiBold, palette.fontDesign, palette.tracking + 0.7),
                   palette.inkTertiary);
        styleLabel(caption_, AppFont::font(12, QFont::Medium), palette.ink);
        styleLabel(detail_, AppFont::small(), palette.inkTertiary);
    }

protected:
    void changeEvent(QEvent* event) override {
        Panel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange) restyle();
    }

private:
    QLabel* title_;
    Ring* ring_;
    QLabel* caption_;
    QLabel* detail_;
};

// The memory kinds side by side, each as wide as its share of the physical
// memory (less the 2 points between them); no track behind them.
class StackedMemoryBar : public QWidget {
public:
    StackedMemoryBar() {
        setFixedHeight(14);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    void apply(std::vector<MemoryKindContent> kinds) {
        kinds_ = std::move(kinds);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        double left = 0;
        for (const MemoryKindContent& kind : kinds_) {
            const double width = std::max(kind.fraction * this->width() - 2, 0.0);
            painter.setBrush(palette.colorForCategory(kind.colorOf));
            painter.drawRoundedRect(QRectF(left, 0, width, height()), 3, 3);
            left += width + 2;
        }
    }

private:
    std::vector<MemoryKindContent> kinds_;
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

LiveStatsView::LiveStatsView(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      memoryBar_(new StackedMemoryBar),
      breakdownTitle_(plainLabel(QStringLiteral("MEMORY BREAKDOWN"))),
      swap_(plainLabel()),
      uptimeTitle_(plainLabel(QStringLiteral("Uptime"))),
      uptime_(plainLabel()),
      updates_(plainLabel(QStringLiteral("Updates every 2 seconds"))),
      source_(plainLabel(QString::fromUtf8(platformWords::statisticsSource))) {
    auto* scroll = new QScrollArea;
    scroll->setAccessibleName(QStringLiteral("Live stats"));
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

    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(14);

    auto* meters = new QHBoxLayout;
    meters->setSpacing(14);
    for (int i = 0; i < 3; ++i) {
        auto* meter = new Meter;
        meters->addWidget(meter, 1);
        meters_.push_back(meter);
    }
    column->addLayout(meters);

    auto* breakdown = new Panel(12);
    breakdown->contentLayout()->setSpacing(11);
    breakdown->contentLayout()->addWidget(breakdownTitle_);
    breakdown->contentLayout()->addWidget(memoryBar_);
    auto* legend = new QHBoxLayout;
    legend->setSpacing(16);
    for (int i = 0; i < 4; ++i) {
        auto* item = new QHBoxLayout;
        item->setSpacing(6);
        auto* key = new LegendKey;
        item->addWidget(key);
        legendKeys_.push_back(key);
        legendLabels_.push_back(plainLabel());
        legendBytes_.push_back(plainLabel());
        item->addWidget(legendLabels_.back());
        item->addWidget(legendBytes_.back());
        legend->addLayout(item);
    }
    legend->addStretch(1);
    breakdown->contentLayout()->addLayout(legend);
    swap_->setWordWrap(true);
    breakdown->contentLayout()->addWidget(swap_);
    column->addWidget(breakdown);

    auto* footer = new Panel(12);
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
    column->addWidget(footer);
    column->addStretch(1);

    connect(&state_, &AppState::statsChanged, this, &LiveStatsView::refresh);
    restyle();
    refresh();
}

std::vector<QWidget*> LiveStatsView::meters() const {
    std::vector<QWidget*> shown;
    for (std::size_t i = 0; i < content_.meters.size(); ++i) shown.push_back(meters_[i]);
    return shown;
}

void LiveStatsView::refresh() {
    LiveStatsContent content = liveStatsContent(state_.stats());
    if (content == content_ && !content_.meters.empty()) return;
    content_ = std::move(content);
    for (std::size_t i = 0; i < meters_.size(); ++i) {
        meters_[i]->setVisible(i < content_.meters.size());
        if (i < content_.meters.size()) static_cast<Meter*>(meters_[i])->apply(content_.meters[i]);
    }
    static_cast<StackedMemoryBar*>(memoryBar_)->apply(content_.memory);
    for (std::size_t i = 0; i < content_.memory.size(); ++i) {
        legendLabels_[i]->setText(QString::fromStdString(content_.memory[i].label));
        legendBytes_[i]->setText(QString::fromStdString(content_.memory[i].bytes));
    }
    swap_->setVisible(content_.swapWarning.has_value());
    swap_->setText(QString::fromStdString(content_.swapWarning.value_or("")));
    uptime_->setText(QString::fromStdString(content_.uptime));
    restyle();
}

void LiveStatsView::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), environmentPalette(this).canvas); }

void LiveStatsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) restyle();
}

void LiveStatsView::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(breakdownTitle_, AppFont::font(10, QFont::DemiBold, palette.fontDesign, palette.tracking + 0.6),
               palette.inkTertiary);
    for (std::size_t i = 0; i < legendLabels_.size(); ++i) {
        styleLabel(legendLabels_[i], AppFont::caption(), palette.inkSecondary);
        styleLabel(legendBytes_[i], AppFont::font(11, QFont::Medium), palette.ink);
        if (i < content_.memory.size())
            static_cast<LegendKey*>(legendKeys_[i])->setColor(palette.colorForCategory(content_.memory[i].colorOf));
    }
    styleLabel(swap_, AppFont::caption(), palette.amber());
    styleLabel(uptimeTitle_, AppFont::caption(), palette.inkSecondary);
    styleLabel(uptime_, AppFont::font(15, QFont::Medium), palette.ink);
    styleLabel(updates_, AppFont::small(), palette.inkTertiary);
    styleLabel(source_, AppFont::small(), palette.inkTertiary);
}

}  // namespace korvane
