#include "app/screens/EntryList.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/kit/Ground.h"
#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SlideReveal.h"
#include "app/kit/SymbolButton.h"
#include "app/platform/Clock.h"
#include "app/presenters/OneLineText.h"
#include "app/screens/EntryListModel.h"
#include "app/screens/EntryRowDelegate.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/PlatformWords.h"
#include "app/state/PreferencesState.h"
#include "app/theme/AppFont.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

EntryList::EntryList(DeveloperState& developer, const DesktopActions& desktop, const Clock& clock,
                     QWidget* parent)
    : QWidget(parent),
      developer_(developer),
      desktop_(desktop),
      clock_(clock),
      model_(new EntryListModel(this)),
      view_(new QListView),
      hoverActions_(new QWidget(view_->viewport())),
      reveal_(new SymbolButton("folder.badge.questionmark",
                               QString::fromStdString(platformWords::showIn(desktop.fileManagerName())),
                               EntryRowDelegate::actionSymbolSize)),
      open_(new SymbolButton("arrow.up.forward.app", QStringLiteral("Open"),
                             EntryRowDelegate::actionSymbolSize)),
      barWidget_(new Ground(&Palette::rail, Ground::Rule::top)),
      count_(new QLabel),
      bytes_(new QLabel),
      notice_(new QLabel),
      clear_(new LinkButton(QStringLiteral("Clear"), AppFont::caption())),
      remove_(new KitButton(KitButton::Style::solid, QStringLiteral("Remove"))),
      hoverIn_(new MotionAnimation(AppMotion::fade, 0.0, this)),
      hoverOut_(new MotionAnimation(AppMotion::fade, 0.0, this)) {
    setUpView();
    buildHoverActions();
    buildActionBar();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(view_, 1);
    column->addWidget(barSlot_);
    connectActions();
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
    refreshBar();
}

void EntryList::setUpView() {
    view_->setModel(model_);
    view_->setItemDelegate(new EntryRowDelegate(*this, *model_));
    view_->setUniformItemSizes(true);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setMouseTracking(true);
    view_->viewport()->installEventFilter(this);
    view_->installEventFilter(this);
    view_->setAccessibleName(QStringLiteral("Files"));
}

void EntryList::buildHoverActions() {
    auto* actions = new QHBoxLayout(hoverActions_);
    actions->setContentsMargins(0, 0, 0, 0);
    actions->setSpacing(4);
    actions->addWidget(reveal_);
    actions->addWidget(open_);
    hoverActions_->hide();
}

void EntryList::buildActionBar() {
    auto* lines = new QVBoxLayout(barWidget_);
    lines->setContentsMargins(16, 11, 16, 11);
    lines->setSpacing(8);
    notice_->setWordWrap(true);
    notice_->hide();
    lines->addWidget(notice_);
    auto* bar = new QHBoxLayout;
    lines->addLayout(bar);
    bar->setSpacing(12);
    for (QLabel* label : {count_, bytes_, notice_}) label->setTextFormat(Qt::PlainText);
    bar->addWidget(count_);
    bar->addWidget(bytes_);
    bar->addStretch(1);
    bar->addWidget(clear_);
    remove_->setSymbol("trash");
    remove_->setMinimumWidth(110);
    bar->addWidget(remove_);
    barSlot_ = new SlideReveal(barWidget_, SlideReveal::Edge::bottom, AppMotion::fade);
}

void EntryList::connectActions() {
    // The highlight fades in on the row under the pointer and out on the one it left.
    for (MotionAnimation* fade : {hoverIn_, hoverOut_})
        connect(fade, &QVariantAnimation::valueChanged, this, [this, fade] {
            const int row = fade == hoverIn_ ? hoveredRow_ : fadingRow_;
            if (row >= 0 && row < model_->rowCount()) view_->update(model_->index(row));
        });

    connect(model_, &EntryListModel::tickedChanged, this, &EntryList::refreshBar);
    // The line on what "Remove" left out stays while the list follows the
    // disk (which takes a changed pick's tick), until the user chooses anew.
    connect(model_, &EntryListModel::choiceChanged, this, [this] {
        leftOut_.reset();
        refreshBar();
    });
    connect(clear_, &QPushButton::clicked, model_, &EntryListModel::clearTicks);
    connect(&developer_.preferences(), &PreferencesState::settingsChanged, this, &EntryList::markNeverTouched);
    connect(remove_, &QPushButton::clicked, this, [this] {
        // With nothing to review no sheet opens: the bar says why instead.
        const DeveloperState::Staging staging = developer_.stageUserChoice(bar_.chosen);
        // It quotes names, and a name may hold a line break.
        leftOut_ =
            staging.staged || !staging.leftOut ? std::nullopt : std::optional(oneLineText(*staging.leftOut));
        refreshBar();
    });
    // What an action removed leaves the ticks before the rows go.
    connect(&developer_, &DeveloperState::diskChanged, this, [this](const DiskChange& change) {
        model_->untick(ticksThatLeft(model_->entries(), model_->ticked(), change));
    });
    connect(view_, &QListView::doubleClicked, this, [this](const QModelIndex& index) { revealRow(index.row()); });
    connect(reveal_, &QAbstractButton::clicked, this, [this] {
        if (hoveredRow_ >= 0)
            desktop_.reveal({model_->entries()[static_cast<std::size_t>(hoveredRow_)].path});
    });
    connect(open_, &QAbstractButton::clicked, this, [this] {
        if (hoveredRow_ >= 0) desktop_.open(model_->entries()[static_cast<std::size_t>(hoveredRow_)].path);
    });
    // Scrolling moves a new row under a resting pointer.
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        const QPoint at = view_->viewport()->mapFromGlobal(QCursor::pos());
        setHoveredRow(view_->viewport()->rect().contains(at) ? view_->indexAt(at).row() : -1);
    });
}

void EntryList::setEntries(std::vector<FileTreeScanner::Entry> entries) {
    setHoveredRow(-1);
    fadingRow_ = -1;
    hoverOut_->jumpTo(0.0);
    model_->setEntries(std::move(entries), clock_.now());
    markNeverTouched();
}

void EntryList::markNeverTouched() {
    model_->setNeverTouched(neverTouchedEntries(model_->entries(), developer_.preferences().settings()));
}

void EntryList::keepTicksWithin(const std::vector<FileTreeScanner::Entry>& scanned) {
    if (!model_->ticked().empty()) model_->untick(ticksNotIn(scanned, model_->ticked()));
}

void EntryList::setHoveredRow(int row) {
    if (row >= model_->rowCount()) row = -1;
    if (row == hoveredRow_) return;
    const int previous = hoveredRow_;
    const double previousLevel = hoverLevel(previous);
    // A row still fading out turns back from where it is.
    const double arrivingLevel = hoverLevel(row);
    const int cut = fadingRow_;
    fadingRow_ = previous;
    hoverOut_->jumpTo(previousLevel);
    hoverOut_->animateTo(0.0);
    hoveredRow_ = row;
    hoverIn_->jumpTo(arrivingLevel);
    if (row >= 0) hoverIn_->animateTo(1.0);
    if (cut >= 0 && cut < model_->rowCount()) view_->update(model_->index(cut));
    for (int changed : {previous, row})
        if (changed >= 0) view_->update(model_->index(changed));
    placeHoverActions();
}

double EntryList::hoverLevel(int row) const {
    if (row < 0) return 0;
    if (row == hoveredRow_) return hoverIn_->currentValue().toDouble();
    if (row == fadingRow_) return hoverOut_->currentValue().toDouble();
    return 0;
}

void EntryList::placeHoverActions() {
    if (hoveredRow_ < 0) {
        hoverActions_->hide();
        return;
    }
    const QRect row = view_->visualRect(model_->index(hoveredRow_)).adjusted(0, 0, 0, -1);
    const QRect actions = EntryRowDelegate::hoverActionsRect(row);
    const QSize size = hoverActions_->sizeHint();
    hoverActions_->setGeometry(
        QRect(QPoint(actions.right() - size.width() + 1, actions.center().y() - size.height() / 2), size));
    hoverActions_->show();
    hoverActions_->raise();
}

void EntryList::revealRow(int row) {
    if (row >= 0 && row < model_->rowCount())
        desktop_.reveal({model_->entries()[static_cast<std::size_t>(row)].path});
}

void EntryList::openRowMenu(int row, QPoint at) {
    if (row < 0 || row >= model_->rowCount() || (rowMenu_ && rowMenu_->isVisible())) return;
    const std::string path = model_->entries()[static_cast<std::size_t>(row)].path;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The row's hover buttons, for the keyboard.
    for (SymbolButton* button : {reveal_, open_}) {
        QString title = button->accessibleName();
        QAction* action = menu->addAction(title.replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(action, &QAction::triggered, this, [this, path, reveals = button == reveal_] {
            if (reveals)
                desktop_.reveal({path});
            else
                desktop_.open(path);
        });
    }
    rowMenu_ = menu;
    menu->popup(at);
}

bool EntryList::eventFilter(QObject* watched, QEvent* event) {
    // Return shows the keyboard's row as a double click does; the menu key,
    // Shift+F10 or a right click offer the row's actions.
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && view_->currentIndex().isValid()) {
            revealRow(view_->currentIndex().row());
            return true;
        }
        if (key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            const QModelIndex current = view_->currentIndex();
            const QRect row = view_->visualRect(current);
            openRowMenu(current.row(), view_->viewport()->mapToGlobal(row.center()));
            return true;
        }
    }
    if (watched == view_->viewport() && event->type() == QEvent::ContextMenu) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        const QModelIndex index = menu->reason() == QContextMenuEvent::Keyboard ? view_->currentIndex()
                                                                                 : view_->indexAt(menu->pos());
        const QPoint at = menu->reason() == QContextMenuEvent::Keyboard
                              ? view_->viewport()->mapToGlobal(view_->visualRect(index).center())
                              : menu->globalPos();
        openRowMenu(index.row(), at);
        return true;
    }
    if (watched == view_->viewport()) {
        if (event->type() == QEvent::MouseMove)
            setHoveredRow(view_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row());
        else if (event->type() == QEvent::Leave)
            setHoveredRow(-1);
        else if (event->type() == QEvent::Resize)
            placeHoverActions();
    }
    return QWidget::eventFilter(watched, event);
}

void EntryList::refreshBar() {
    bar_ = entryActionBar(model_->entries(), model_->ticked(), Paths::home(), leftOut_);
    count_->setText(QString::fromStdString(bar_.count));
    bytes_->setText(QString::fromStdString(bar_.bytes));
    notice_->setText(QString::fromStdString(bar_.notice.value_or("")));
    notice_->setVisible(bar_.notice.has_value());
    for (QWidget* choice : std::initializer_list<QWidget*>{count_, bytes_, clear_, remove_})
        choice->setVisible(bar_.hasChoice);
    remove_->setEnabled(bar_.removeEnabled);
    barSlot_->setRevealed(bar_.isShown);
}

void EntryList::restyle() {
    const Palette& palette = environmentPalette(this);
    QPalette colors = view_->palette();
    colors.setColor(QPalette::Base, palette.canvas);
    view_->setPalette(colors);
    styleLabel(count_, AppFont::bodyMedium(), palette.ink);
    styleLabel(bytes_, AppFont::font(13, QFont::DemiBold), palette.accent);
    styleLabel(notice_, AppFont::caption(), palette.inkSecondary);
    view_->viewport()->update();
}

}  // namespace korvane
