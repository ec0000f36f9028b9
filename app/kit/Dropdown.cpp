#include "app/kit/Dropdown.h"

#include <cmath>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

#include "app/kit/DropdownRow.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PopupFrame.h"
#include "app/kit/TransformFade.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

// The floating list: a popup window around the card of rows. Keys move
// among the rows (Up, Down, Home, End); Return and Space are the focused
// row's; Escape closes the list without a change.
class DropdownList : public PopupFrame {
public:
    DropdownList(Dropdown* owner, double width, const QList<QWidget*>& rows)
        : PopupFrame(owner, static_cast<int>(DropdownGeometry::listPadding)) {
        // A click outside closes the list and does nothing else.
        setAttribute(Qt::WA_NoMouseReplay);
        setAttribute(Qt::WA_DeleteOnClose);
        layout()->setSizeConstraint(QLayout::SetFixedSize);
        column()->setSizeConstraint(QLayout::SetFixedSize);
        auto* rowsHost = new QWidget(this);
        rowsHost->setFixedWidth(static_cast<int>(std::lround(width)));
        auto* rowsColumn = new QVBoxLayout(rowsHost);
        rowsColumn->setContentsMargins(0, 0, 0, 0);
        rowsColumn->setSpacing(0);
        for (QWidget* row : rows) {
            rowsColumn->addWidget(row);
            if (auto* choosable = qobject_cast<DropdownRow*>(row)) rows_.append(choosable);
        }
        column()->addWidget(rowsHost);
    }

    // Keyboard focus starts on the selected row, else the first.
    void focusStartRow() {
        if (rows_.isEmpty()) return;
        DropdownRow* start = rows_.first();
        for (DropdownRow* row : rows_)
            if (row->isSelected()) start = row;
        start->setFocus(Qt::PopupFocusReason);
    }

    const QList<DropdownRow*>& rows() const { return rows_; }

    std::function<void()> onHidden;
    // Where the list rests (global), the corner it grows from (its own
    // coordinates) and how it shows at this moment.
    QPoint home;
    QPointF anchor;
    DropdownGeometry::Look shown;
    MotionAnimation* entrance = nullptr;

protected:
    void hideEvent(QHideEvent* event) override {
        QWidget::hideEvent(event);
        if (onHidden) onHidden();
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (rows_.isEmpty()) {
            QWidget::keyPressEvent(event);
            return;
        }
        const auto focused = static_cast<int>(rows_.indexOf(qobject_cast<DropdownRow*>(focusWidget())));
        const auto last = static_cast<int>(rows_.size()) - 1;
        int next = -1;
        switch (event->key()) {
            case Qt::Key_Down: next = focused < 0 ? 0 : std::min(focused + 1, last); break;
            case Qt::Key_Up: next = focused < 0 ? last : std::max(focused - 1, 0); break;
            case Qt::Key_Home:
            case Qt::Key_PageUp: next = 0; break;
            case Qt::Key_End:
            case Qt::Key_PageDown: next = last; break;
            default: QWidget::keyPressEvent(event); return;
        }
        rows_[next]->setFocus(Qt::TabFocusReason);
        event->accept();
    }

    double cardRadius() const override { return DropdownGeometry::listRadius(environmentPalette(this)); }

private:
    QList<DropdownRow*> rows_;
};

namespace {

// What the window that holds `owner` shows under `area` (global), for a list
// that cannot be see-through (no compositor): drawn under it while it is not
// whole. Beyond that window it is the palette's canvas.
QPixmap backdropUnder(const QWidget* owner, const QRect& area) {
    QWidget* window = owner->window();
    const qreal ratio = window->devicePixelRatioF();
    QPixmap backdrop(area.size() * ratio);
    backdrop.setDevicePixelRatio(ratio);
    backdrop.fill(environmentPalette(owner).canvas);
    const QRect local = QRect(window->mapFromGlobal(area.topLeft()), area.size());
    const QRect shown = local & window->rect();
    if (!shown.isEmpty()) {
        QPainter painter(&backdrop);
        painter.drawPixmap(shown.topLeft() - local.topLeft(), window->grab(shown));
    }
    return backdrop;
}

// What a closing list leaves on screen while it goes: its last picture,
// shrinking and fading where it stood, in a window that takes neither input
// nor focus, so that the click that closed the list reaches what is beneath.
class ClosingList : public QWidget {
public:
    ClosingList(Dropdown* owner, DropdownList& list, const DropdownGeometry::Look& from)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                             Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
          anchor_(list.anchor),
          from_(from),
          picture_(list.grab()),
          progress_(new MotionAnimation(AppMotion::snappy, 0.0, this)) {
        const QRect area(list.home, list.size());
        const bool composited = list.surface().isComposited();
        setAttribute(Qt::WA_TranslucentBackground, composited);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        if (!composited) backdrop_ = backdropUnder(owner, area);
        setGeometry(area);
        connect(progress_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
        connect(progress_, &QAbstractAnimation::finished, this, &QWidget::close);
    }

    void play() {
        show();
        progress_->animateTo(1.0);
    }

    DropdownGeometry::Look shown() const {
        return DropdownGeometry::Look::between(from_, DropdownGeometry::removedLook(),
                                               progress_->currentValue().toDouble());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!backdrop_.isNull()) painter.drawPixmap(0, 0, backdrop_);
        const DropdownGeometry::Look look = shown();
        painter.setOpacity(std::clamp(look.opacity, 0.0, 1.0));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setTransform(look.transform(anchor_));
        painter.drawPixmap(0, 0, picture_);
    }

private:
    QPointF anchor_;
    DropdownGeometry::Look from_;
    QPixmap picture_;
    QPixmap backdrop_;
    MotionAnimation* progress_;
};

// A combo box to screen readers: its value is the choice shown, its state
// whether the list is open, and both its press and its menu action open the list.
class DropdownAccessible : public QAccessibleWidget {
public:
    explicit DropdownAccessible(Dropdown* dropdown) : QAccessibleWidget(dropdown, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return dropdown()->accessibleValue();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = dropdown()->isOpen();
        state.collapsed = !dropdown()->isOpen();
        return state;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction(), showMenuAction()} + QAccessibleWidget::actionNames();
    }

    // The open list is a window of its own, yet its rows belong to the
    // dropdown: it is its last child, as a combo box's list is.
    int childCount() const override { return QAccessibleWidget::childCount() + (list() ? 1 : 0); }

    QAccessibleInterface* child(int index) const override {
        const int parts = QAccessibleWidget::childCount();
        return index < parts ? QAccessibleWidget::child(index) : index == parts ? list() : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child != nullptr && child == list()) return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }

    void doAction(const QString& name) override {
        if (name == pressAction() || name == showMenuAction()) {
            if (dropdown()->isEnabled()) dropdown()->setOpen(!dropdown()->isOpen());
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    Dropdown* dropdown() const { return static_cast<Dropdown*>(widget()); }
    QAccessibleInterface* list() const {
        QWidget* open = dropdown()->list();
        return open != nullptr ? QAccessible::queryAccessibleInterface(open) : nullptr;
    }
};

// The list of choices, a window that belongs to its dropdown.
class DropdownListAccessible : public QAccessibleWidget {
public:
    explicit DropdownListAccessible(QWidget* list) : QAccessibleWidget(list, QAccessible::List) {}

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(widget()->parentWidget());
    }
};

// Screen readers hear that the list opened or closed.
void announceOpenChange(Dropdown* dropdown) {
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    QAccessibleStateChangeEvent event(dropdown, changed);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface* dropdownAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("korvane::Dropdown") && object->isWidgetType())
        return new DropdownAccessible(static_cast<Dropdown*>(object));
    // The list of choices.
    if (className == QLatin1String("korvane::PopupFrame") &&
        qobject_cast<Dropdown*>(object->parent()) != nullptr)
        return new DropdownListAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

Dropdown::Dropdown(Alignment alignment, Direction direction, double width, QWidget* parent)
    : QAbstractButton(parent), alignment_(alignment), direction_(direction), width_(width) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(dropdownAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* host = new QHBoxLayout(this);
    host->setContentsMargins(0, 0, 0, 0);
    connect(this, &QAbstractButton::clicked, this, [this] { setOpen(!isOpen()); });
}

Dropdown::~Dropdown() {
    if (list_) {
        list_->onHidden = nullptr;
        delete list_;
    }
}

void Dropdown::setLabel(QWidget* label) {
    if (label_ != nullptr) label_->deleteLater();
    label_ = label;
    // Clicks on the label's parts belong to the dropdown.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout()->addWidget(label);
}

void Dropdown::setAccessibleValue(const QString& value) {
    if (value == accessibleValue_) return;
    accessibleValue_ = value;
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
}

void Dropdown::setContent(Content content) { content_ = std::move(content); }

bool Dropdown::isOpen() const { return list_ && list_->isVisible(); }

QWidget* Dropdown::list() const { return isOpen() ? list_ : nullptr; }

QSize Dropdown::sizeHint() const { return label_ != nullptr ? label_->sizeHint() : QSize(); }

void Dropdown::setOpen(bool open) {
    if (open == isOpen()) return;
    if (open)
        this->open();
    else
        list_->close();
}

void Dropdown::open() {
    QPointer<Dropdown> self(this);
    const Close close = [self] {
        if (self) self->setOpen(false);
    };
    auto* list = new DropdownList(this, width_, content_ ? content_(close) : QList<QWidget*>{});
    list_ = list;
    list->onHidden = [this] { listClosed(); };
    list->adjustSize();

    const QRectF label(mapToGlobal(QPoint(0, 0)), QSizeF(size()));
    const QScreen* screen = this->screen();
    const QRectF frame = DropdownGeometry::listFrame(label, QSizeF(list->card().size()), direction_, alignment_,
                                                     screen ? QRectF(screen->availableGeometry()) : QRectF());
    const QMargins room = list->surface().margins();
    list->home = frame.topLeft().toPoint() - QPoint(room.left(), room.top());
    list->anchor = DropdownGeometry::anchor(QRectF(list->card()), direction_, alignment_);
    list->move(list->home);
    if (!AppMotion::jumpsToEnd()) playOpening(*list);
    list->show();
    list->focusStartRow();
    if (list->entrance) list->entrance->animateTo(1.0);
    announceOpenChange(this);
    emit openChanged(true);
}

void Dropdown::playOpening(DropdownList& list) {
    auto* look = new TransformFade(list.body());
    list.body()->setGraphicsEffect(look);
    QList<TransformFade*> rowLooks;
    if (rowDrop_ > 0)
        for (DropdownRow* row : list.rows()) {
            rowLooks.append(new TransformFade(row));
            row->setGraphicsEffect(rowLooks.back());
        }
    // A window that cannot be see-through moves itself, over a picture of what lies beneath.
    const bool composited = list.surface().isComposited();
    const DropdownGeometry::Look from = DropdownGeometry::insertedLook(direction_);
    const QRect travel =
        QRect(list.home, list.size()) | QRect(list.home + from.offset.toPoint(), list.size());
    const QPixmap backdrop = composited ? QPixmap() : backdropUnder(this, travel);
    const auto show = [&list, look, rowLooks, composited, backdrop, travel, from, drop = rowDrop_](
                          double progress, bool arrived) {
        if (arrived) progress = 1.0;
        list.shown = DropdownGeometry::Look::between(from, {}, progress);
        DropdownGeometry::Look inPlace = list.shown;
        if (!composited) {
            list.move(list.home + list.shown.offset.toPoint());
            inPlace.offset = QPointF();
            look->setBackdrop(arrived ? QPixmap() : backdrop, travel.topLeft() - list.pos());
        }
        look->setLook(inPlace.transform(list.anchor), inPlace.opacity);
        for (TransformFade* rowLook : rowLooks)
            rowLook->setLook(QTransform::fromTranslate(0, -drop * (1 - progress)), progress);
    };
    list.entrance = new MotionAnimation(AppMotion::snappy, 0.0, &list);
    connect(list.entrance, &QVariantAnimation::valueChanged, &list,
            [show](const QVariant& value) { show(value.toDouble(), false); });
    connect(list.entrance, &QAbstractAnimation::finished, &list, [show] { show(1.0, true); });
    show(0.0, false);
}

void Dropdown::listClosed() {
    DropdownList* list = list_;
    list_ = nullptr;
    list->onHidden = nullptr;
    if (!AppMotion::jumpsToEnd()) playClosing(*list);
    list->deleteLater();
    announceOpenChange(this);
    emit openChanged(false);
    // Focus returns to the label, as after a menu.
    setFocus(Qt::PopupFocusReason);
}

void Dropdown::playClosing(DropdownList& list) {
    // The picture is of the list whole; the closing look starts where the opening one stood.
    const DropdownGeometry::Look from = list.shown;
    if (list.entrance) {
        list.entrance->stop();
        list.entrance->disconnect();
    }
    if (auto* look = qobject_cast<TransformFade*>(list.body()->graphicsEffect())) {
        look->setLook({}, 1);
        look->setBackdrop({}, {});
    }
    for (DropdownRow* row : list.rows())
        if (auto* look = qobject_cast<TransformFade*>(row->graphicsEffect())) look->setLook({}, 1);
    if (closing_) closing_->close();
    auto* closing = new ClosingList(this, list, from);
    closing_ = closing;
    closing->play();
}

DropdownGeometry::Look Dropdown::shownLook() const {
    if (list_) return list_->shown;
    if (closing_) return static_cast<const ClosingList*>(closing_.data())->shown();
    return {};
}

QWidget* Dropdown::closingList() const { return closing_; }

void Dropdown::keyPressEvent(QKeyEvent* event) {
    // The keys that open a combo box open the list too; Space is the button's own.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_F4:
            setOpen(true);
            event->accept();
            return;
        default: QAbstractButton::keyPressEvent(event);
    }
}

void Dropdown::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    if (label_ != nullptr) label_->update();
}

void Dropdown::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    if (label_ != nullptr) label_->update();
}

void Dropdown::paintEvent(QPaintEvent*) {}

}  // namespace korvane
