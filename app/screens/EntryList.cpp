#include "app/screens/EntryList.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/kit/Ground.h"
#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SlideReveal.h"
#include "app/kit/SymbolButton.h"
#include "app/presenters/PlatformWords.h"
#include "app/screens/EntryListModel.h"
#include "app/platform/Clock.h"
#include "app/state/AppState.h"
#include "app/theme/AppFont.h"
#include "app/theme/MotionAnimation.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {

namespace {

constexpr int paddingX = 16;
constexpr int paddingY = 8;
constexpr int spacing = 10;
constexpr int checkSide = 14;
constexpr int symbolWidth = 18;
constexpr int ageWidth = 92;
constexpr int sizeWidth = 78;
constexpr int dividerInset = 42;
constexpr int actionSize = 13;

QFont nameFont() { return AppFont::font(13, QFont::Medium); }
QFont pathFont() { return AppFont::font(10, QFont::Normal, FontDesign::monospaced); }
QFont ageFont() { return AppFont::font(10); }
QFont sizeFont() { return AppFont::font(12, QFont::Medium); }

// Where the parts of one row lie.
struct RowGeometry {
    QRect check;
    QRect symbol;
    QRect texts;
    QRect actions;  // the hover buttons, right of the texts
    QRect age;
    QRect size;

    RowGeometry(const QRect& row, int actionsWidth) {
        int left = row.left() + paddingX;
        check = QRect(left, row.center().y() - checkSide / 2, checkSide, checkSide);
        left += checkSide + spacing;
        symbol = QRect(left, row.top(), symbolWidth, row.height());
        left += symbolWidth + spacing;
        int right = row.right() - paddingX + 1;
        size = QRect(right - sizeWidth, row.top(), sizeWidth, row.height());
        right -= sizeWidth + spacing;
        age = QRect(right - ageWidth, row.top(), ageWidth, row.height());
        right -= ageWidth + spacing;
        actions = QRect(right - actionsWidth, row.top(), actionsWidth, row.height());
        // The spacer before the buttons (or the date) is at least 8 wide.
        texts = QRect(left, row.top() + paddingY, std::max(0, right - actionsWidth - 8 - left),
                      row.height() - 2 * paddingY);
    }
};

int rowHeight() {
    return paddingY + QFontMetrics(nameFont()).height() + 1 + QFontMetrics(pathFont()).height() + paddingY + 1;
}

class EntryRowDelegate : public QStyledItemDelegate {
public:
    EntryRowDelegate(EntryList& list, EntryListModel& model) : QStyledItemDelegate(&list), list_(list), model_(model) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {200, rowHeight()}; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const Palette& palette = environmentPalette(&list_);
        const EntryRowContent& content = model_.rowContent(index.row());
        const bool hovered = index.row() == list_.hoveredRow();
        const double highlight = list_.hoverLevel(index.row());
        const QRect row = option.rect.adjusted(0, 0, 0, -1);  // the divider takes the last line
        const RowGeometry geometry(row, hovered ? actionsWidth() : 0);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        if (highlight > 0) {
            painter->setOpacity(std::min(highlight, 1.0));
            painter->fillRect(row, palette.hover);
            painter->setOpacity(1);
        }
        if (option.state & QStyle::State_HasFocus && list_.view()->hasFocus()) {
            painter->setPen(QPen(palette.accent, 1));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(QRectF(row).adjusted(0.5, 0.5, -0.5, -0.5));
        }

        drawCheck(*painter, QRectF(geometry.check), index.data(Qt::CheckStateRole).toInt() == Qt::Checked, palette);

        painter->setFont(symbolFont(13));
        painter->setPen(palette.inkSecondary);
        painter->drawText(geometry.symbol, Qt::AlignCenter, symbolText(content.symbol));

        const QFontMetrics nameMetrics(nameFont());
        const QFontMetrics pathMetrics(pathFont());
        const QRect name(geometry.texts.left(), geometry.texts.top(), geometry.texts.width(), nameMetrics.height());
        const QRect path(geometry.texts.left(), name.bottom() + 2, geometry.texts.width(), pathMetrics.height());
        // Names are data: drawn as they are (a newline shows as a symbol, markup as its characters).
        painter->setFont(nameFont());
        painter->setPen(palette.ink);
        painter->drawText(name, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          nameMetrics.elidedText(QString::fromStdString(content.name), Qt::ElideRight, name.width()));
        painter->setFont(pathFont());
        painter->setPen(palette.inkTertiary);
        painter->drawText(path, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          pathMetrics.elidedText(QString::fromStdString(content.parent), Qt::ElideLeft, path.width()));

        painter->setFont(ageFont());
        painter->drawText(geometry.age, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                          QString::fromStdString(content.age));
        painter->setFont(sizeFont());
        painter->setPen(palette.ink);
        painter->drawText(geometry.size, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                          QString::fromStdString(content.size));

        painter->fillRect(QRect(option.rect.left() + dividerInset, option.rect.bottom(),
                                option.rect.width() - dividerInset, 1),
                          palette.hairline);
        painter->restore();
    }

    bool editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const RowGeometry geometry(option.rect, 0);
            // The whole height of the tick's column takes the click.
            const QRect target(option.rect.left(), option.rect.top(), geometry.symbol.left() - option.rect.left(),
                               option.rect.height());
            if (mouse->button() == Qt::LeftButton && target.contains(mouse->position().toPoint())) {
                model_.toggle(index.row());
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Select) {
                model_.toggle(index.row());
                return true;
            }
        }
        return false;
    }

    static int actionsWidth() { return 2 * (actionSize + 8) + 4; }

private:
    static void drawCheck(QPainter& painter, const QRectF& box, bool ticked, const Palette& palette) {
        const QRectF inner = box.adjusted(0.5, 0.5, -0.5, -0.5);
        if (ticked) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette.accent);
            painter.drawRoundedRect(inner, 3.5, 3.5);
            QPainterPath mark;
            mark.moveTo(box.left() + 3.5, box.center().y() + 0.5);
            mark.lineTo(box.left() + 6, box.bottom() - 3.5);
            mark.lineTo(box.right() - 3, box.top() + 3.5);
            painter.setPen(QPen(palette.isDark ? palette.canvas : QColor(Qt::white), 1.8, Qt::SolidLine,
                                Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(mark);
        } else {
            painter.setPen(QPen(palette.inkTertiary, 1));
            painter.setBrush(palette.panel);
            painter.drawRoundedRect(inner, 3.5, 3.5);
        }
    }

    EntryList& list_;
    EntryListModel& model_;
};

}  // namespace

EntryList::EntryList(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      model_(new EntryListModel(this)),
      view_(new QListView),
      hoverActions_(new QWidget(view_->viewport())),
      reveal_(new SymbolButton("folder.badge.questionmark", QString::fromStdString(platformWords::showIn(state.fileManagerName())), actionSize)),
      open_(new SymbolButton("arrow.up.forward.app", QStringLiteral("Open"), actionSize)),
      barWidget_(new Ground(&Palette::rail, Ground::Rule::top)),
      count_(new QLabel),
      bytes_(new QLabel),
      clear_(new LinkButton(QStringLiteral("Clear"), AppFont::caption())),
      remove_(new KitButton(KitButton::Style::solid, QStringLiteral("Remove"))),
      hoverIn_(new MotionAnimation(AppMotion::fade, 0.0, this)),
      hoverOut_(new MotionAnimation(AppMotion::fade, 0.0, this)) {
    view_->setModel(model_);
    view_->setItemDelegate(new EntryRowDelegate(*this, *model_));
    view_->setUniformItemSizes(true);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setMouseTracking(true);
    view_->viewport()->installEventFilter(this);
    view_->setAccessibleName(QStringLiteral("Files"));

    auto* actions = new QHBoxLayout(hoverActions_);
    actions->setContentsMargins(0, 0, 0, 0);
    actions->setSpacing(4);
    actions->addWidget(reveal_);
    actions->addWidget(open_);
    hoverActions_->hide();

    auto* bar = new QHBoxLayout(barWidget_);
    bar->setContentsMargins(16, 11, 16, 11);
    bar->setSpacing(12);
    for (QLabel* label : {count_, bytes_}) label->setTextFormat(Qt::PlainText);
    bar->addWidget(count_);
    bar->addWidget(bytes_);
    bar->addStretch(1);
    bar->addWidget(clear_);
    remove_->setSymbol("trash");
    remove_->setMinimumWidth(110);
    bar->addWidget(remove_);
    barSlot_ = new SlideReveal(barWidget_, SlideReveal::Edge::bottom, AppMotion::fade);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(view_, 1);
    column->addWidget(barSlot_);

    // The highlight fades in on the row under the pointer and out on the one it left.
    for (MotionAnimation* fade : {hoverIn_, hoverOut_})
        connect(fade, &QVariantAnimation::valueChanged, this, [this, fade] {
            const int row = fade == hoverIn_ ? hoveredRow_ : fadingRow_;
            if (row >= 0 && row < model_->rowCount()) view_->update(model_->index(row));
        });

    connect(model_, &EntryListModel::tickedChanged, this, &EntryList::refreshBar);
    connect(clear_, &QPushButton::clicked, model_, &EntryListModel::clearTicks);
    connect(remove_, &QPushButton::clicked, this, [this] { state_.stageUserChoice(bar_.chosen); });
    connect(view_, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        state_.reveal({model_->entries()[static_cast<std::size_t>(index.row())].path});
    });
    connect(reveal_, &QAbstractButton::clicked, this, [this] {
        if (hoveredRow_ >= 0) state_.reveal({model_->entries()[static_cast<std::size_t>(hoveredRow_)].path});
    });
    connect(open_, &QAbstractButton::clicked, this, [this] {
        if (hoveredRow_ >= 0) state_.open(model_->entries()[static_cast<std::size_t>(hoveredRow_)].path);
    });
    // Scrolling moves a new row under a resting pointer.
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        const QPoint at = view_->viewport()->mapFromGlobal(QCursor::pos());
        setHoveredRow(view_->viewport()->rect().contains(at) ? view_->indexAt(at).row() : -1);
    });
    restyle();
    refreshBar();
}

void EntryList::setEntries(std::vector<FileTreeScanner::Entry> entries) {
    setHoveredRow(-1);
    fadingRow_ = -1;
    hoverOut_->jumpTo(0.0);
    model_->setEntries(std::move(entries), state_.clock().now());
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
    const RowGeometry geometry(row, EntryRowDelegate::actionsWidth());
    const QSize size = hoverActions_->sizeHint();
    hoverActions_->setGeometry(QRect(QPoint(geometry.actions.right() - size.width() + 1,
                                            geometry.actions.center().y() - size.height() / 2),
                                     size));
    hoverActions_->show();
    hoverActions_->raise();
}

bool EntryList::eventFilter(QObject* watched, QEvent* event) {
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
    bar_ = entryActionBar(model_->entries(), model_->ticked());
    count_->setText(QString::fromStdString(bar_.count));
    bytes_->setText(QString::fromStdString(bar_.bytes));
    barSlot_->setRevealed(bar_.isShown);
}

void EntryList::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) restyle();
}

void EntryList::restyle() {
    const Palette& palette = environmentPalette(this);
    QPalette colors = view_->palette();
    colors.setColor(QPalette::Base, palette.canvas);
    view_->setPalette(colors);
    styleLabel(count_, AppFont::bodyMedium(), palette.ink);
    styleLabel(bytes_, AppFont::font(13, QFont::DemiBold), palette.accent);
    view_->viewport()->update();
}

}  // namespace korvane
