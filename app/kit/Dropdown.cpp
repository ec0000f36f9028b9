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

    std::function<void()> onHidden;

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

    void doAction(const QString& name) override {
        if (name == pressAction() || name == showMenuAction()) {
            if (dropdown()->isEnabled()) dropdown()->setOpen(!dropdown()->isOpen());
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    Dropdown* dropdown() const { return static_cast<Dropdown*>(widget()); }
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
    const QPoint home = frame.topLeft().toPoint() - QPoint(room.left(), room.top());
    // The list slides in from a few points off and fades in.
    auto* entrance = new MotionAnimation(AppMotion::snappy, 0.0, list);
    const QPointF start = DropdownGeometry::insertionOffset(direction_);
    connect(entrance, &QVariantAnimation::valueChanged, list, [list, home, start](const QVariant& value) {
        const double progress = value.toDouble();
        list->move(home + (start * (1 - progress)).toPoint());
        list->setWindowOpacity(std::clamp(progress, 0.0, 1.0));
    });
    list->move(home + start.toPoint());
    list->setWindowOpacity(0);
    list->show();
    list->focusStartRow();
    entrance->animateTo(1.0);
    announceOpenChange(this);
    emit openChanged(true);
}

void Dropdown::listClosed() {
    DropdownList* list = list_;
    list_ = nullptr;
    list->onHidden = nullptr;
    list->deleteLater();
    announceOpenChange(this);
    emit openChanged(false);
    // Focus returns to the label, as after a menu.
    setFocus(Qt::PopupFocusReason);
}

bool Dropdown::event(QEvent* event) {
    // Return belongs to the focused picker, not to the window's default action.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return QAbstractButton::event(event);
}

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
