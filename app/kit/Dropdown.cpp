#include "app/kit/Dropdown.h"

#include <cmath>

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

// The floating list: a popup window with room around the card for its shadow.
class DropdownList : public QWidget {
public:
    // Shadow radius 18 at y offset 8.
    static constexpr QMargins shadowMargins{18, 10, 18, 26};

    DropdownList(Dropdown* owner, double width, const QList<QWidget*>& rows)
        : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_WindowPropagation);
        // A click outside closes the list and does nothing else.
        setAttribute(Qt::WA_NoMouseReplay);
        setAttribute(Qt::WA_DeleteOnClose);
        auto* column = new QVBoxLayout(this);
        const int pad = static_cast<int>(DropdownGeometry::listPadding);
        column->setContentsMargins(shadowMargins + QMargins(pad, pad, pad, pad));
        column->setSpacing(0);
        column->setSizeConstraint(QLayout::SetFixedSize);
        auto* rowsHost = new QWidget(this);
        rowsHost->setFixedWidth(static_cast<int>(std::lround(width)));
        auto* rowsColumn = new QVBoxLayout(rowsHost);
        rowsColumn->setContentsMargins(0, 0, 0, 0);
        rowsColumn->setSpacing(0);
        for (QWidget* row : rows) rowsColumn->addWidget(row);
        column->addWidget(rowsHost);
    }

    QRect card() const { return rect().marginsRemoved(shadowMargins); }

    std::function<void()> onHidden;

protected:
    void hideEvent(QHideEvent* event) override {
        QWidget::hideEvent(event);
        if (onHidden) onHidden();
    }

    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        const double radius = DropdownGeometry::listRadius(palette);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        // A soft shadow from stacked, ever wider and fainter cards.
        const QRectF shadow = QRectF(card()).translated(0, 8);
        const double opacity = palette.isDark ? 0.55 : 0.16;
        constexpr int steps = 9;
        for (int i = steps; i >= 1; --i) {
            const double spread = 18.0 * i / steps;
            painter.setBrush(QColor(0, 0, 0, static_cast<int>(255 * opacity / (steps * 1.6))));
            painter.drawRoundedRect(shadow.adjusted(6 - spread, 6 - spread, spread - 6, spread - 6),
                                    radius + spread, radius + spread);
        }
        const QRectF cardRect = QRectF(card()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(palette.hairline, 1));
        painter.setBrush(palette.panel);
        painter.drawRoundedRect(cardRect, radius, radius);
    }
};

Dropdown::Dropdown(Alignment alignment, Direction direction, double width, QWidget* parent)
    : QAbstractButton(parent), alignment_(alignment), direction_(direction), width_(width) {
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
    const QPoint home = frame.topLeft().toPoint() - QPoint(DropdownList::shadowMargins.left(),
                                                           DropdownList::shadowMargins.top());
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
    entrance->animateTo(1.0);
    emit openChanged(true);
}

void Dropdown::listClosed() {
    DropdownList* list = list_;
    list_ = nullptr;
    list->onHidden = nullptr;
    list->deleteLater();
    emit openChanged(false);
    // Focus returns to the label, as after a menu.
    setFocus(Qt::PopupFocusReason);
}

void Dropdown::paintEvent(QPaintEvent*) {}

}  // namespace korvane
