#include "app/kit/KitButton.h"

#include <cmath>

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/FocusRing.h"
#include "app/theme/MotionAnimation.h"
#include "app/theme/SymbolGlyph.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

namespace {

constexpr double symbolSpacing = 6;

QString mnemonicEscaped(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

}  // namespace

KitButton::KitButton(Style style, const QString& title, QWidget* parent)
    : QPushButton(parent),
      style_(style),
      scale_(new MotionAnimation(AppMotion::snappy, 1.0, this)),
      background_(new MotionAnimation(AppMotion::snappy, QColor(), this)),
      shadowColor_(new MotionAnimation(AppMotion::snappy, QColor(Qt::transparent), this)) {
    setAttribute(Qt::WA_Hover);
    // Focus comes from Tab, not from a click: Return stays with what had the keyboard.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setTitle(title);
    for (auto* animation : {scale_, background_})
        connect(animation, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    if (style_ == Style::solid) {
        // The shadow reaches past the button's edges, which only an effect may paint.
        shadow_ = new QGraphicsDropShadowEffect(this);
        shadow_->setBlurRadius(20);
        shadow_->setOffset(0, 3);
        shadow_->setEnabled(false);
        setGraphicsEffect(shadow_);
        connect(shadowColor_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            const auto color = value.value<QColor>();
            shadow_->setColor(color);
            shadow_->setEnabled(color.alpha() > 0);
        });
    }
    connect(this, &QAbstractButton::pressed, this, [this] { follow(Change::press); });
    connect(this, &QAbstractButton::released, this, [this] { follow(Change::press); });
    follow(Change::other);
}

void KitButton::setTitle(const QString& title) {
    title_ = title;
    // The accessible name comes from text(), which reads "&&" as "&".
    setText(mnemonicEscaped(title));
    updateGeometry();
    update();
}

void KitButton::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    updateGeometry();
    update();
}

ButtonLook KitButton::targetLook() const {
    const Palette& palette = environmentPalette(this);
    const ButtonState state{isEnabled(), hovering_, isDown()};
    return style_ == Style::solid ? solidButtonLook(palette, state) : outlineButtonLook(palette, state);
}

void KitButton::follow(Change change) {
    const ButtonLook look = targetLook();
    // The outline button eases its hover fill; everything else follows the quick spring.
    background_->setMotion(style_ == Style::outline && change == Change::hover ? AppMotion::fade
                                                                               : AppMotion::snappy);
    for (auto [animation, value] : {std::pair{scale_, QVariant(look.scale)}, std::pair{background_, QVariant(look.background)},
                                    std::pair{shadowColor_, QVariant(look.shadow)}}) {
        if (change == Change::other)
            animation->jumpTo(value);
        else
            animation->animateTo(value);
    }
    update();
}

QSize KitButton::sizeHint() const {
    const ButtonLook look = targetLook();
    const QFontMetricsF metrics(look.font);
    double width = metrics.horizontalAdvance(title_) + look.padding.left() + look.padding.right();
    if (!symbol_.empty()) width += QFontMetricsF(symbolFont(look.font.pixelSize())).height() + symbolSpacing;
    const double height = metrics.height() + look.padding.top() + look.padding.bottom();
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize KitButton::minimumSizeHint() const {
    const ButtonLook look = targetLook();
    return {static_cast<int>(look.padding.left() + look.padding.right()), sizeHint().height()};
}

void KitButton::paintEvent(QPaintEvent*) {
    const ButtonLook look = targetLook();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const double scale = scale_->currentValue().toDouble();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);

    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(look.border.isValid() ? QPen(look.border, 1) : Qt::NoPen);
    painter.setBrush(background_->currentValue().value<QColor>());
    painter.drawRoundedRect(look.border.isValid() ? shape : QRectF(rect()), look.radius, look.radius);
    if (FocusVisibility::shows(*this))
        FocusRing::paint(painter, rect(), look.radius, environmentPalette(this),
                         background_->currentValue().value<QColor>());

    const QRectF content = QRectF(rect()).marginsRemoved(look.padding);
    const QFontMetricsF metrics(look.font);
    double symbolWidth = 0;
    QFont glyphFont;
    if (!symbol_.empty()) {
        glyphFont = symbolFont(look.font.pixelSize());
        symbolWidth = QFontMetricsF(glyphFont).height() + symbolSpacing;
    }
    const QString text = metrics.elidedText(title_, Qt::ElideRight, std::max(0.0, content.width() - symbolWidth));
    const double textWidth = metrics.horizontalAdvance(text);
    double x = content.center().x() - (symbolWidth + textWidth) / 2;
    painter.setPen(look.foreground);
    if (!symbol_.empty()) {
        painter.setFont(glyphFont);
        painter.drawText(QRectF(x, content.top(), symbolWidth - symbolSpacing, content.height()), Qt::AlignCenter,
                         symbolText(symbol_));
        x += symbolWidth;
    }
    painter.setFont(look.font);
    painter.drawText(QRectF(x, content.top(), textWidth + 1, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void KitButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    hovering_ = true;
    follow(Change::hover);
}

void KitButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    hovering_ = false;
    follow(Change::hover);
}

void KitButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        updateGeometry();
        follow(Change::other);
    }
}

}  // namespace korvane
