#include "app/frame/ExploreLayout.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSet>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/DeveloperCanvasPage.h"
#include "app/canvases/GeneralCanvasPage.h"
#include "app/frame/GeneralSidebar.h"
#include "app/frame/SidebarView.h"
#include "app/frame/TopBar.h"
#include "app/kit/CrossFade.h"
#include "app/kit/Hairline.h"
#include "app/kit/NoticeBanner.h"
#include "app/kit/SlideReveal.h"
#include "app/screens/ApplicationsView.h"
#include "app/screens/InspectorView.h"
#include "app/screens/LargeFilesView.h"
#include "app/screens/LiveStatsView.h"
#include "app/screens/SearchView.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

namespace {

// The inspector with the divider before it.
constexpr int inspectorColumnWidth = static_cast<int>(ExploreColumns::inspectorWidth) + 1;

// Shows its one child at full width from the left edge, cut off at its own
// right edge: narrowing it slides the child out to the right.
class SlidingColumn : public QWidget {
public:
    explicit SlidingColumn(QWidget* content) : content_(content) {
        content_->setParent(this);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        content_->setGeometry(0, 0, inspectorColumnWidth, height());
    }

private:
    QWidget* content_;
};

}  // namespace

ExploreLayout::ExploreLayout(AppState& state, bool showsInspector, QWidget* parent)
    : QWidget(parent),
      state_(state),
      showsInspector_(showsInspector),
      mode_(state.preferences().mode()),
      section_(state.navigation().generalSection()),
      topBar_(makeTopBar()),
      row_(new QHBoxLayout),
      inspector_(makeInspector()),
      inspectorWidth_(new MotionAnimation(AppMotion::gentle, 0, this)),
      pageFade_(new CrossFade(this)) {
    auto* inspectorContent = new QWidget;
    auto* inspectorLine = new QHBoxLayout(inspectorContent);
    inspectorLine->setContentsMargins(0, 0, 0, 0);
    inspectorLine->setSpacing(0);
    inspectorLine->addWidget(new Hairline(Qt::Vertical));
    inspectorLine->addWidget(inspector_);
    inspector_->setFixedWidth(static_cast<int>(ExploreColumns::inspectorWidth));
    inspectorColumn_ = new SlidingColumn(inspectorContent);
    inspectorColumn_->setFixedWidth(0);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(topBar_);
    column->addWidget(new Hairline(Qt::Horizontal));
    column->addWidget(makeNotice());
    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(0);
    column->addLayout(row_, 1);
    followPage();

    connect(inspectorWidth_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        setInspectorWidth(std::max(0, static_cast<int>(std::lround(value.toDouble()))));
    });
    connect(&state_, &AppState::changed, this, [this] {
        if (state_.preferences().mode() != mode_ || state_.navigation().generalSection() != section_)
            followPage();
        followNotice();
    });
    followNotice();
}

SlideReveal* ExploreLayout::makeNotice() {
    notice_ = new NoticeBanner;
    noticeSlot_ = NoticeBanner::inSlide(notice_, QMargins(12, 12, 12, 0));
    connect(notice_, &NoticeBanner::dismissed, this, [this] { state_.developer().setRestoreNotice(std::nullopt); });
    return noticeSlot_;
}

void ExploreLayout::followNotice() {
    const auto& notice = state_.developer().restoreNotice();
    // A leaving banner keeps its text until it is gone.
    if (notice) notice_->setNotice(*notice, state_.developer().restoreNoticeIsProblem());
    if (notice.has_value() == noticeSlot_->isRevealed()) return;
    if (isVisible())
        noticeSlot_->setRevealed(notice.has_value());
    else
        noticeSlot_->jumpRevealed(notice.has_value());
}

void ExploreLayout::setShowsInspector(bool shows) {
    if (shows == showsInspector_) return;
    showsInspector_ = shows;
    // The toggle eases the column in or out; crossing the width where it fits keeps the gentle spring.
    inspectorWidth_->setMotion(AppMotion::inspectorToggle);
    followColumns();
    inspectorWidth_->setMotion(AppMotion::gentle);
    emit showsInspectorChanged(shows);
}

ExploreColumns ExploreLayout::columns() const {
    return exploreColumns(width(), showsInspector_, mode_, section_);
}

void ExploreLayout::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    followColumns();
}

void ExploreLayout::followPage() {
    const bool newMode = sidebar_ == nullptr || state_.preferences().mode() != mode_;
    fadeOutPage();
    mode_ = state_.preferences().mode();
    section_ = state_.navigation().generalSection();
    if (newMode) {
        // The old parts go later: the change may come from inside one of them.
        while (QLayoutItem* item = row_->takeAt(0)) {
            if (QWidget* widget = item->widget(); widget != inspectorColumn_) {
                widget->hide();
                widget->deleteLater();
            }
            delete item;
        }
        sidebar_ = makeSidebar(mode_);
        sidebar_->setFixedWidth(static_cast<int>(ExploreColumns::sidebarWidth));
        canvasPage_ = makeCanvasPage(mode_, section_);
        row_->addWidget(sidebar_);
        row_->addWidget(new Hairline(Qt::Vertical));
        row_->addWidget(canvasPage_, 1);
        row_->addWidget(inspectorColumn_);
    } else {
        // A new section keeps the sidebar, which follows the section by
        // itself: a row pressed there keeps the keyboard focus, where hidden
        // with its sidebar it would hand the focus on to the next control.
        QWidget* old = std::exchange(canvasPage_, makeCanvasPage(mode_, section_));
        delete row_->replaceWidget(old, canvasPage_);
        old->hide();
        old->deleteLater();
    }
    // Over the new parts, which were made after it.
    pageFade_->raise();
    followColumns();
}

void ExploreLayout::fadeOutPage() {
    if (!canvasPage_ || !isVisible() || AppMotion::jumpsToEnd()) return;
    // A new mode swaps sidebar and page inside the quick spring; a new
    // section replaces the page with an ease of 0.22 s.
    const bool newMode = state_.preferences().mode() != mode_;
    const QRect area = newMode ? sidebar_->geometry() | canvasPage_->geometry() : canvasPage_->geometry();
    pageFade_->fadeOut(grab(area), area, newMode ? AppMotion::snappy : AppMotion::fade);
}

void ExploreLayout::fadeOutRow(const Motion& motion) {
    if (!canvasPage_ || !isVisible() || AppMotion::jumpsToEnd()) return;
    // Sidebar, page and inspector all follow the change.
    QRect area = sidebar_->geometry() | canvasPage_->geometry();
    if (inspectorColumn_->isVisible()) area |= inspectorColumn_->geometry();
    pageFade_->fadeOut(grab(area), area, motion);
    pageFade_->raise();
}

void ExploreLayout::followColumns() {
    topBar_->setInspectorFits(columns().inspectorFits);
    topBar_->setShowsInspector(showsInspector_);
    const double target = columns().showsInspectorColumn ? inspectorColumnWidth : 0;
    if (!isVisible()) {
        // Before the first showing there is nothing to slide.
        inspectorWidth_->jumpTo(target);
        setInspectorWidth(static_cast<int>(target));
        return;
    }
    // Every step of a window resize lands here; a slide under way keeps going.
    if (inspectorWidth_->state() == QAbstractAnimation::Running &&
        inspectorWidth_->endValue().toDouble() == target)
        return;
    inspectorWidth_->animateTo(target);
}

void ExploreLayout::setInspectorWidth(int width) {
    inspectorColumn_->setFixedWidth(width);
    // Slid shut, the column is hidden: its controls are neither shown to screen readers nor reached by Tab.
    inspectorColumn_->setVisible(width > 0);
}

QWidgetList ExploreLayout::tabStops() const {
    QSet<QWidget*> stops;
    const QWidget* window = this->window();
    for (QWidget* widget = nextInFocusChain(); widget != this; widget = widget->nextInFocusChain())
        if (isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() &&
            widget->isEnabled() && widget->isVisibleTo(window))
            stops.insert(widget);
    // Each stop and every widget that holds one, up to the parts of the window.
    QSet<QWidget*> holders;
    for (QWidget* stop : stops)
        for (QWidget* widget = stop; widget && widget != this && !holders.contains(widget);
             widget = widget->parentWidget())
            holders.insert(widget);
    QWidgetList ordered;
    // The parts in reading order, whatever their place on screen; anything else after them.
    QWidgetList parts{sidebar_, canvasPage_, inspectorColumn_, topBar_};
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!parts.contains(child)) parts.append(child);
    for (QWidget* part : parts)
        if (part && holders.contains(part)) appendInReadingOrder(part, stops, holders, ordered);
    return ordered;
}

void ExploreLayout::appendInReadingOrder(QWidget* widget, const QSet<QWidget*>& stops,
                                         const QSet<QWidget*>& holders, QWidgetList& ordered) {
    if (stops.contains(widget)) ordered.append(widget);
    QWidgetList children;
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (holders.contains(child)) children.append(child);
    // Side by side (their heights overlap) left to right, else top to bottom. An
    // insertion sort: a comparison that a layout's odd geometry leaves
    // inconsistent costs an odd order, never undefined behaviour.
    const auto before = [](const QWidget* a, const QWidget* b) {
        const QRect first = a->geometry(), second = b->geometry();
        const int overlap = std::min(first.bottom(), second.bottom()) - std::max(first.top(), second.top());
        return overlap > 1 ? first.left() < second.left() : first.top() < second.top();
    };
    for (qsizetype i = 1; i < children.size(); ++i)
        for (qsizetype j = i; j > 0 && before(children[j], children[j - 1]); --j) children.swapItemsAt(j, j - 1);
    for (QWidget* child : children) appendInReadingOrder(child, stops, holders, ordered);
}

void ExploreLayout::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QWidget* focused = QApplication::focusWidget();
    if (focused && isAncestorOf(focused)) return;
    focusLanding();
}

void ExploreLayout::focusLanding() {
    // The canvas, else the page's first control, else the first of all.
    const QWidgetList stops = tabStops();
    const auto first = [&](const auto& fits) {
        const auto at = std::find_if(stops.begin(), stops.end(), fits);
        return at == stops.end() ? nullptr : *at;
    };
    QWidget* landing = first([](QWidget* stop) { return qobject_cast<CanvasBase*>(stop) != nullptr; });
    if (!landing) landing = first([this](QWidget* stop) { return canvasPage_->isAncestorOf(stop); });
    if (!landing && !stops.isEmpty()) landing = stops.front();
    if (landing) landing->setFocus(Qt::OtherFocusReason);
}

bool ExploreLayout::focusNextPrevChild(bool next) {
    const QWidgetList stops = tabStops();
    QWidget* focused = QApplication::focusWidget();
    // Waiting on the layout itself: the first stop, or the last one going back.
    if (focused == this) focused = nullptr;
    // The stop that holds the focus, itself or as the owner of a focused inner part.
    qsizetype at = -1;
    for (QWidget* holder = focused; holder && at < 0 && holder != this; holder = holder->parentWidget())
        at = stops.indexOf(holder);
    if (stops.isEmpty() || (at < 0 && focused && !isAncestorOf(focused))) return QWidget::focusNextPrevChild(next);
    const qsizetype count = stops.size();
    const qsizetype to = at < 0 ? (next ? 0 : count - 1) : (at + (next ? 1 : count - 1)) % count;
    QWidget* stop = stops[to];
    stop->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    // A stop in a scrolling column comes into view.
    for (QWidget* outer = stop->parentWidget(); outer && outer != this; outer = outer->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(outer)) scroll->ensureWidgetVisible(stop);
    return true;
}

TopBar* ExploreLayout::makeTopBar() {
    auto* bar = new TopBar(state_.preferences(), state_.navigation(), state_.folderScan(),
                           [this] { return makeInspector(); });
    connect(bar, &TopBar::inspectorToggled, this, [this] { setShowsInspector(!showsInspector_); });
    connect(bar, &TopBar::filterLeft, this, &ExploreLayout::focusLanding);
    return bar;
}

QWidget* ExploreLayout::makeSidebar(AppState::Mode mode) {
    if (mode == AppState::Mode::developer)
        return new SidebarView(state_.navigation(), state_.developer(), state_.desktop());
    return new GeneralSidebar(state_.folderScan(), state_.navigation(), state_.applications(),
                              state_.liveStats(), state_.desktop());
}

QWidget* ExploreLayout::makeCanvasPage(AppState::Mode mode, AppState::GeneralSection section) {
    const CanvasParts canvas{state_.navigation(), state_.developer(), state_.desktop()};
    if (mode == AppState::Mode::developer) return new DeveloperCanvasPage(canvas);
    switch (section) {
        case AppState::GeneralSection::explore:
            return new GeneralCanvasPage(state_.folderScan(), canvas);
        case AppState::GeneralSection::search:
            return new SearchView(state_.folderScan(), state_.developer(), state_.desktop(), state_.clock());
        case AppState::GeneralSection::largeFiles:
            return new LargeFilesView(state_.folderScan(), state_.developer(), state_.desktop(),
                                      state_.clock());
        case AppState::GeneralSection::apps:
            return new ApplicationsView(state_.applications(), state_.desktop(), state_.clock());
        case AppState::GeneralSection::stats:
            return new LiveStatsView(state_.liveStats());
    }
    return new GeneralCanvasPage(state_.folderScan(), canvas);
}

QWidget* ExploreLayout::makeInspector() {
    auto* inspector = new InspectorView(state_.preferences(), state_.navigation(), state_.developer(),
                                        state_.folderScan(), state_.desktop(), state_.clock());
    connect(inspector, &InspectorView::aboutToChange, this, &ExploreLayout::fadeOutRow);
    connect(inspector, &InspectorView::keyboardHasNoStop, this, [this] {
        for (CanvasBase* canvas : findChildren<CanvasBase*>())
            if (canvas->isVisible()) {
                canvas->setFocus(Qt::BacktabFocusReason);
                return;
            }
    });
    return inspector;
}

}  // namespace korvane
