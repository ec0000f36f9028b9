#include "app/screens/CompleteView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>
#include <cmath>

#include "app/kit/ByteHeadline.h"
#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/kit/NoticeBanner.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ReturnKey.h"
#include "app/kit/ScrollFocus.h"
#include "app/kit/SlideReveal.h"
#include "app/kit/SymbolView.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"

namespace korvane {

namespace {

constexpr int barSteps = 1000;
constexpr double barHeight = 5;

QLabel* plainLabel(const QString& text = {}) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* wrappingLabel() {
    QLabel* label = plainLabel();
    label->setWordWrap(true);
    return label;
}

QWidget* row(QBoxLayout* layout) {
    auto* widget = new QWidget;
    widget->setLayout(layout);
    layout->setContentsMargins(0, 0, 0, 0);
    return widget;
}

// The used share of a volume as a thin capsule: the hairline track, filled
// from the left. Screen readers read it as a percentage.
class UsageBar : public QProgressBar {
public:
    UsageBar() {
        setRange(0, barSteps);
        setTextVisible(false);
        setFixedHeight(static_cast<int>(barHeight));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    void setFill(const QColor& fill) {
        fill_ = fill;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QRectF track(0, 0, width(), barHeight);
        painter.setBrush(environmentPalette(this).hairline);
        painter.drawRoundedRect(track, barHeight / 2, barHeight / 2);
        const double width = track.width() * value() / barSteps;
        if (width <= 0) return;
        painter.setBrush(fill_);
        painter.drawRoundedRect(QRectF(0, 0, width, barHeight), std::min(barHeight, width) / 2, barHeight / 2);
    }

private:
    QColor fill_;
};

}  // namespace

// One side of the before-and-after panel: its title, the free space and the
// used share as a bar.
class VolumeColumnView : public QWidget {
public:
    explicit VolumeColumnView(bool isAfter) : isAfter_(isAfter), title_(plainLabel()), free_(plainLabel()) {
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(5);
        column->addWidget(title_);
        column->addWidget(free_);
        column->addWidget(bar_);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    void setColumn(const VolumeColumn& column) {
        title_->setText(QString::fromStdString(column.title));
        free_->setText(QString::fromStdString(column.free));
        bar_->setValue(static_cast<int>(std::lround(column.usedFraction * barSteps)));
        bar_->setAccessibleName(QString::fromStdString(column.title));
    }
    void restyle(const Palette& palette) {
        styleLabel(title_, AppFont::caption(), palette.inkSecondary);
        styleLabel(free_, AppFont::font(14, QFont::Medium), isAfter_ ? palette.accent : palette.ink);
        bar_->setFill(isAfter_ ? palette.accent : palette.inkSecondary);
    }

private:
    bool isAfter_;
    QLabel* title_;
    QLabel* free_;
    UsageBar* bar_ = new UsageBar;
};

CompleteView::CompleteView(DeveloperState& developer, const DesktopActions& desktop, QWidget* parent)
    : QWidget(parent), developer_(developer), desktop_(desktop) {
    setAutoFillBackground(true);
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    column->addWidget(makeHeader());
    column->addWidget(makeBeforeAndAfter());
    column->addWidget(makeTrashPanel());
    column->addWidget(makeNotRemovedPanel());
    // The banner carries its own gap below it, so the actions glide by all of it.
    auto* tail = new QVBoxLayout;
    tail->setSpacing(0);
    tail->addWidget(makeNoticeBanner());
    tail->addSpacing(2);
    tail->addWidget(makeActions(), 0, Qt::AlignHCenter);
    column->addLayout(tail);
    placeInScrollArea(column);

    connectActions();
    connect(&developer_, &DeveloperState::changed, this, &CompleteView::refresh);
    restyleOnPaletteChange(*this, [this] {
        restyle();
        rebuildNotRemoved();
    });
    restyle();
    refresh();
}

QWidget* CompleteView::makeNotRemovedPanel() {
    notRemoved_ = new Panel(12);
    notRemoved_->contentLayout()->setSpacing(7);
    notRemovedHeading_ = plainLabel();
    notRemoved_->contentLayout()->addWidget(notRemovedHeading_);
    notRemovedRows_ = new QVBoxLayout;
    notRemovedRows_->setSpacing(7);
    notRemoved_->contentLayout()->addLayout(notRemovedRows_);
    return notRemoved_;
}

void CompleteView::placeInScrollArea(QVBoxLayout* column) {
    auto* content = new QWidget;
    // The column: centred, at most 500 wide, in a frame at least 560 high
    // that is 24 in from every edge.
    column->insertStretch(0, 1);
    column->addStretch(1);
    auto* limited = new QWidget;
    limited->setMaximumWidth(columnWidth);
    limited->setLayout(column);
    auto* frame = new QWidget;
    frame->setMinimumHeight(560);
    auto* centred = new QHBoxLayout(frame);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addStretch(1);
    centred->addWidget(limited, 1000);
    centred->addStretch(1);
    auto* padded = new QVBoxLayout(content);
    padded->setContentsMargins(24, 24, 24, 24);
    padded->addWidget(frame);

    auto* scroll = new QScrollArea;
    scroll->setAccessibleName(QStringLiteral("Cleanup complete"));
    // Its ring would run along the window's edge, where nobody sees it: Tab
    // brings each button into view, and "Done" the end of the card.
    showColumnEndWithLastStop(*scroll);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

void CompleteView::connectActions() {
    connect(putBack_, &QPushButton::clicked, &developer_, &DeveloperState::restoreFromTrash);
    connect(empty_, &QPushButton::clicked, &developer_, &DeveloperState::emptyOwnTrash);
    connect(openTrash_, &QPushButton::clicked, this, [this] { desktop_.openTrash(); });
    connect(notice_, &NoticeBanner::dismissed, this, [this] { developer_.setRestoreNotice(std::nullopt); });
    connect(copySummary_, &QPushButton::clicked, &developer_, &DeveloperState::copySummary);
    connect(done_, &QPushButton::clicked, &developer_, &DeveloperState::dismissReport);
    // "Done" is the screen's default action: a default-button flag only works inside a dialog.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &CompleteView::pressDefault);
    }
}

QWidget* CompleteView::makeHeader() {
    checkmark_ = new SymbolView("checkmark.circle.fill", 30);
    title_ = plainLabel(QStringLiteral("Cleanup complete"));
    freed_ = new ByteHeadline(0, 40, 17);
    // The line under the figure may give a reason at length: it wraps, centred, within the card's width.
    locations_ = wrappingLabel();
    locations_->setAlignment(Qt::AlignHCenter);
    auto* column = new QVBoxLayout;
    column->setSpacing(5);
    column->addSpacing(10);
    for (QWidget* widget : std::initializer_list<QWidget*>{checkmark_, title_, freed_})
        column->addWidget(widget, 0, Qt::AlignHCenter);
    column->addWidget(locations_);
    header_ = row(column);
    return header_;
}

QWidget* CompleteView::makeBeforeAndAfter() {
    beforeAndAfter_ = new Panel(12);
    before_ = new VolumeColumnView(false);
    arrow_ = new SymbolView("arrow.right", 10);
    after_ = new VolumeColumnView(true);
    auto* line = new QHBoxLayout;
    line->setSpacing(0);
    line->addWidget(before_, 1);
    line->addSpacing(12);
    line->addWidget(arrow_, 0, Qt::AlignVCenter);
    line->addSpacing(12);
    line->addWidget(after_, 1);
    beforeAndAfter_->contentLayout()->addLayout(line);
    return beforeAndAfter_;
}

QWidget* CompleteView::makeTrashPanel() {
    trash_ = new Panel(12);
    trash_->contentLayout()->setSpacing(10);
    trashSymbol_ = new SymbolView("arrow.uturn.backward.circle", 13);
    trashHeadline_ = plainLabel();
    trashExplanation_ = wrappingLabel();
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(trashHeadline_);
    texts->addWidget(trashExplanation_);
    auto* top = new QHBoxLayout;
    top->setSpacing(9);
    top->addWidget(trashSymbol_, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    trash_->contentLayout()->addLayout(top);

    putBack_ = new KitButton(KitButton::Style::outline, QStringLiteral("Put it back"));
    putBack_->setSymbol("arrow.uturn.backward");
    empty_ = new KitButton(KitButton::Style::outline, {});
    empty_->setSymbol("trash");
    openTrash_ = new KitButton(KitButton::Style::outline, QStringLiteral("Open Trash"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    for (KitButton* button : {putBack_, empty_, openTrash_}) {
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    trash_->contentLayout()->addLayout(buttons);
    return trash_;
}

QWidget* CompleteView::makeNoticeBanner() {
    notice_ = new NoticeBanner;
    noticeSlot_ = NoticeBanner::inSlide(notice_, QMargins(0, 0, 0, 14));
    return noticeSlot_;
}

QWidget* CompleteView::makeActions() {
    copySummary_ = new KitButton(KitButton::Style::outline, QStringLiteral("Copy summary"));
    copySummary_->setSymbol("doc.on.doc");
    done_ = new KitButton(KitButton::Style::solid, QStringLiteral("Done"));
    done_->setDefault(true);
    done_->setAutoDefault(true);
    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    for (KitButton* button : {copySummary_, done_}) {
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        line->addWidget(button);
    }
    done_->setMinimumWidth(copySummary_->sizeHint().width());
    return row(line);
}

void CompleteView::pressDefault() {
    if (!returnReachesPage(*this)) return;
    if (done_->isVisible() && done_->isEnabled()) done_->click();
}

void CompleteView::refresh() {
    // Looks on disk: only the completion screen asks, and only here.
    const auto& lastReport = developer_.lastReport();
    CompletionContent content =
        completionContent(lastReport, developer_.restoreNotice(), developer_.lastReportInTrash(),
                          developer_.reportFollowUp(), developer_.restoreNoticeIsProblem(),
                          developer_.trashWork());
    if (refreshed_ && content == content_) return;
    const auto rowsOf = [](const CompletionContent& shown) {
        return shown.report && shown.report->notRemoved ? shown.report->notRemoved->rows : std::vector<NotRemovedRow>{};
    };
    const bool rowsChanged = !refreshed_ || rowsOf(content) != rowsOf(content_);
    const bool first = !refreshed_;
    content_ = std::move(content);
    refreshed_ = true;

    const auto* report = content_.report ? &*content_.report : nullptr;
    for (QWidget* section : std::initializer_list<QWidget*>{header_, beforeAndAfter_})
        section->setVisible(report != nullptr);
    trash_->setVisible(report && report->trash);
    notRemoved_->setVisible(report && report->notRemoved);
    if (report) {
        checkmark_->setSymbol(report->symbol);
        title_->setText(QString::fromStdString(report->title));
        freed_->setVisible(report->showsFreed);
        freed_->setBytes(report->freedBytes);
        locations_->setText(QString::fromStdString(report->locations));
        before_->setColumn(report->before);
        after_->setColumn(report->after);
        if (report->trash) {
            trashHeadline_->setText(QString::fromStdString(report->trash->headline));
            trashExplanation_->setText(QString::fromStdString(report->trash->explanation));
            empty_->setTitle(QString::fromStdString(report->trash->emptyTitle));
            putBack_->setTitle(QString::fromStdString(report->trash->putBackTitle));
            putBack_->setEnabled(report->trash->canPutBack);
            empty_->setEnabled(report->trash->canEmpty);
        }
        if (report->notRemoved) notRemovedHeading_->setText(QString::fromStdString(report->notRemoved->heading));
    }
    if (rowsChanged) rebuildNotRemoved();
    if (report) restyleHeader();
    // A leaving banner keeps its text until it is gone.
    if (content_.notice) notice_->setNotice(*content_.notice, content_.noticeIsProblem);
    if (first) noticeSlot_->jumpRevealed(content_.notice.has_value());
    else noticeSlot_->setRevealed(content_.notice.has_value());
}

void CompleteView::rebuildNotRemoved() {
    while (QLayoutItem* item = notRemovedRows_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!content_.report || !content_.report->notRemoved) return;
    const Palette& palette = environmentPalette(this);
    for (const NotRemovedRow& entry : content_.report->notRemoved->rows) {
        auto* symbol = new SymbolView(entry.failed ? "xmark.circle" : "minus.circle", 10);
        symbol->setColor(entry.failed ? palette.red() : palette.inkSecondary);
        QLabel* title = wrappingLabel();
        title->setText(QString::fromStdString(entry.title));
        styleLabel(title, AppFont::font(11, QFont::Medium), palette.ink);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        texts->addWidget(title);
        if (entry.message) {
            QLabel* message = wrappingLabel();
            message->setText(QString::fromStdString(*entry.message));
            styleLabel(message, AppFont::small(), palette.inkSecondary);
            texts->addWidget(message);
        }
        auto* line = new QHBoxLayout;
        line->setSpacing(6);
        auto* symbolColumn = new QVBoxLayout;
        symbolColumn->setContentsMargins(0, 1, 0, 0);
        symbolColumn->addWidget(symbol);
        symbolColumn->addStretch(1);
        line->addLayout(symbolColumn);
        line->addLayout(texts, 1);
        notRemovedRows_->addWidget(row(line));
    }
}

void CompleteView::restyleHeader() {
    const Palette& palette = environmentPalette(this);
    const bool accented = !content_.report || content_.report->accented;
    checkmark_->setColor(accented ? palette.accent : palette.inkSecondary);
}

void CompleteView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Return is "Done": the screen opens with it in focus, not the first
    // button of the Trash panel.
    done_->setFocus(Qt::OtherFocusReason);
    // The Trash may have changed while the screen was away: the "Empty" label follows it.
    developer_.measureOwnTrash();
}

bool CompleteView::event(QEvent* event) {
    // Back from the file manager, where the Trash may have been changed by
    // hand. The window's children hear of it as WindowActivate.
    if (event->type() == QEvent::WindowActivate && isVisible()) developer_.measureOwnTrash();
    return QWidget::event(event);
}

void CompleteView::restyle() {
    const Palette& palette = environmentPalette(this);
    restyleHeader();
    styleLabel(title_, AppFont::font(15, QFont::DemiBold), palette.ink);
    freed_->setColor(palette.accent);
    styleLabel(locations_, AppFont::caption(), palette.inkSecondary);
    before_->restyle(palette);
    arrow_->setColor(palette.inkTertiary);
    after_->restyle(palette);
    trashSymbol_->setColor(palette.accent);
    styleLabel(trashHeadline_, AppFont::bodyMedium(), palette.ink);
    styleLabel(trashExplanation_, AppFont::caption(), palette.inkSecondary);
    styleLabel(notRemovedHeading_, AppFont::bodyMedium(), palette.ink);
}

}  // namespace korvane
