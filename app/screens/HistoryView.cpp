#include "app/screens/HistoryView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScrollFocus.h"
#include "app/platform/Clock.h"
#include "app/screens/HistoryChart.h"
#include "app/state/DeveloperState.h"
#include "app/state/HistoryRecords.h"
#include "app/state/NavigationState.h"

namespace korvane {

namespace {

QLabel* plainLabel(const QString& text, bool wraps = false) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wraps);
    return label;
}

}  // namespace

HistoryView::HistoryView(HistoryRecords& history, const DeveloperState& developer,
                         const NavigationState& navigation, const Clock& clock, QWidget* parent)
    : QWidget(parent), history_(history), clock_(clock), scroll_(new QScrollArea), column_(new QVBoxLayout) {
    restyleOnPaletteChange(*this, [this] { rebuild(); });
    setAutoFillBackground(true);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    content->setLayout(column_);
    column_->setContentsMargins(20, 20, 20, 20);
    column_->setSpacing(18);
    auto* scroll = scroll_;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setAccessibleName(QStringLiteral("Storage history"));
    followScrollFocus(*scroll);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    // A finished scan records a snapshot, a finished cleanup a report.
    connect(&developer, &DeveloperState::scanChanged, this, &HistoryView::read);
    connect(&navigation, &NavigationState::routeChanged, this, &HistoryView::read);
    read();
}

void HistoryView::read() {
    if (reading_) {
        readAgain_ = true;
        return;
    }
    reading_ = true;
    history_.read(
        this,
        [now = clock_.now()](const HistoryStore& history) {
            return historyContent(history.snapshots(), history.reports(), history.totalFreed(), now);
        },
        [this](HistoryContent content) {
            reading_ = false;
            present(std::move(content));
            if (readAgain_) {
                readAgain_ = false;
                read();
            }
        });
}

void HistoryView::present(HistoryContent content) {
    const bool changed = !content_ || content != *content_;
    content_ = std::move(content);
    if (changed) {
        rebuild();
        // The sheet opened before the history arrived: it grows to fit it, within its own limits.
        if (window() != this) QTimer::singleShot(0, this, &HistoryView::fitSheet);
    }
    emit contentShown();
}

void HistoryView::fitSheet() {
    // Run once the new sections show (they count in no layout before); every
    // layout up to the sheet hears of the new hint at once.
    for (QWidget* widget = this; widget && !widget->isWindow(); widget = widget->parentWidget())
        widget->updateGeometry();
    QWidget* sheet = window();
    sheet->resize(sheet->width(), sheet->sizeHint().height());
}

QSize HistoryView::sizeHint() const {
    // As tall as everything it shows; a sheet holding it scrolls past its own limit.
    return scroll_->widget()->sizeHint();
}

void HistoryView::rebuild() {
    chart_ = nullptr;
    while (QLayoutItem* item = column_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!content_) return;
    column_->addWidget(makeTrendPanel());
    if (content_->pastCleanups) column_->addWidget(makePastCleanups(*content_->pastCleanups));
    column_->addStretch(1);
}

QWidget* HistoryView::makeTrendPanel() {
    const Palette& palette = environmentPalette(this);
    auto* panel = new Panel(12);
    QVBoxLayout* column = panel->contentLayout();
    if (!content_->showsChart()) {
        column->setSpacing(4);
        QLabel* title = plainLabel(QStringLiteral("Not enough history yet"));
        styleLabel(title, AppFont::font(13, QFont::Medium), palette.ink);
        QLabel* text =
            plainLabel(QStringLiteral("Korvane records one point per day you scan. The trend appears after the second."),
                       true);
        styleLabel(text, AppFont::font(11), palette.inkSecondary);
        column->addWidget(title);
        column->addWidget(text);
        return panel;
    }
    column->setSpacing(10);
    QLabel* title = plainLabel(QStringLiteral("Developer storage"));
    styleLabel(title, AppFont::label(), palette.ink);
    column->addWidget(title);
    chart_ = new HistoryChart;
    chart_->setPoints(content_->points, palette);
    column->addWidget(chart_);
    if (content_->trend) {
        QLabel* trend = plainLabel(QString::fromStdString(*content_->trend));
        styleLabel(trend, AppFont::font(11), palette.inkSecondary);
        column->addWidget(trend);
    }
    return panel;
}

QWidget* HistoryView::makePastCleanups(const PastCleanups& past) {
    const Palette& palette = environmentPalette(this);
    auto* panel = new Panel(0);
    QVBoxLayout* column = panel->contentLayout();
    column->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 14, 14, 14);
    QLabel* title = plainLabel(QStringLiteral("Past cleanups"));
    styleLabel(title, AppFont::label(), palette.ink);
    QLabel* total = plainLabel(QString::fromStdString(past.total));
    styleLabel(total, AppFont::font(11), palette.inkSecondary);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(total);
    column->addLayout(header);
    column->addWidget(new Hairline(Qt::Horizontal));
    for (std::size_t index = 0; index < past.rows.size(); ++index) {
        const PastCleanupRow& row = past.rows[index];
        auto* line = new QHBoxLayout;
        line->setContentsMargins(14, 9, 14, 9);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        QLabel* date = plainLabel(QString::fromStdString(row.date));
        styleLabel(date, AppFont::font(12, QFont::Medium), palette.ink);
        QLabel* summary = plainLabel(QString::fromStdString(row.summary));
        styleLabel(summary, AppFont::font(10), palette.inkSecondary);
        texts->addWidget(date);
        if (row.putBack) {
            // The mark reads on after the summary, in the faintest ink.
            auto* facts = new QHBoxLayout;
            facts->setSpacing(4);
            QLabel* putBack = plainLabel(QString::fromStdString(*row.putBack));
            styleLabel(putBack, AppFont::font(10), palette.inkTertiary);
            facts->addWidget(summary);
            facts->addWidget(putBack);
            facts->addStretch(1);
            texts->addLayout(facts);
        } else {
            texts->addWidget(summary);
        }
        line->addLayout(texts);
        line->addStretch(1);
        QLabel* freed = plainLabel(QString::fromStdString(row.freed));
        styleLabel(freed, AppFont::font(12, QFont::Medium), palette.accent);
        line->addWidget(freed);
        column->addLayout(line);
        if (index + 1 < past.rows.size()) {
            auto* divider = new QHBoxLayout;
            divider->setContentsMargins(14, 0, 0, 0);
            divider->addWidget(new Hairline(Qt::Horizontal));
            column->addLayout(divider);
        }
    }
    return panel;
}

}  // namespace korvane
