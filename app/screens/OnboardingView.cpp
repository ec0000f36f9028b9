#include "app/screens/OnboardingView.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

#include "app/kit/CapsuleLabel.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SymbolView.h"
#include "app/state/DeveloperState.h"
#include "app/state/FolderScanState.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

namespace {

constexpr int cardPadding = 16;
constexpr double pressedScale = 0.985;

QLabel* plainLabel(const QString& text, bool wraps = false) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wraps);
    return label;
}

}  // namespace

ChoiceCard::ChoiceCard(const OnboardingChoice& choice, QWidget* parent)
    : QAbstractButton(parent),
      symbol_(new SymbolView(choice.symbol, 17)),
      title_(plainLabel(QString::fromStdString(choice.title), true)),
      description_(plainLabel(QString::fromStdString(choice.description), true)),
      highlight_(new MotionAnimation(AppMotion::fade, 0.0, this)),
      scale_(new MotionAnimation(AppMotion::snappy, 1.0, this)) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    // Both cards share the row equally, whatever their texts.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(QString::fromStdString(choice.title));
    setAccessibleDescription(QString::fromStdString(choice.description));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
    column->setSpacing(0);
    column->addWidget(symbol_);
    column->addSpacing(12);
    column->addWidget(title_);
    column->addSpacing(5);
    column->addWidget(description_);
    column->addSpacing(12);
    auto* tags = new QHBoxLayout;
    tags->setSpacing(5);
    for (const std::string& tag : choice.tags) {
        auto* label = new CapsuleLabel(QString::fromStdString(tag), QMargins(7, 3, 7, 3));
        tags_.append(label);
        tags->addWidget(label);
    }
    tags->addStretch(1);
    column->addLayout(tags);
    column->addStretch(1);
    // The card is the button; its texts only show.
    for (QWidget* child : findChildren<QWidget*>()) child->setAttribute(Qt::WA_TransparentForMouseEvents);

    for (auto* animation : {highlight_, scale_})
        connect(animation, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::pressed, this, [this] {
        scale_->animateTo(pressedScale);
        highlight_->animateTo(1.0);
    });
    connect(this, &QAbstractButton::released, this, [this] {
        scale_->animateTo(1.0);
        highlight_->animateTo(hovering_ ? 1.0 : 0.0);
    });
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

QSize ChoiceCard::sizeHint() const { return layout()->sizeHint(); }

QSize ChoiceCard::minimumSizeHint() const { return layout()->minimumSize(); }

int ChoiceCard::heightForWidth(int width) const { return layout()->totalHeightForWidth(width); }

void ChoiceCard::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    // Only a keyboard user needs the ring.
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
}

void ChoiceCard::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    hovering_ = true;
    highlight_->setMotion(AppMotion::fade);
    highlight_->animateTo(1.0);
}

void ChoiceCard::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hovering_ = false;
    // A pressed card keeps its fill until it is let go.
    if (!isDown()) highlight_->animateTo(0.0);
}

void ChoiceCard::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    const double highlight = std::clamp(highlight_->currentValue().toDouble(), 0.0, 1.0);
    // The border follows the pointer only; a pressed card away from it keeps the hairline.
    const double border = hovering_ ? highlight : 0.0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = scale_->currentValue().toDouble();
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    const double radius = palette.radius + 2;
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(mixed(palette.hairline, withOpacity(palette.accent, 0.5), border), 1));
    painter.setBrush(mixed(palette.panel, palette.hover, highlight));
    painter.drawRoundedRect(card, radius, radius);
    if (hasFocus() && keyboardFocus_) {
        painter.setPen(QPen(withOpacity(palette.accent, 0.8), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(card.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1.5, radius - 1.5);
    }
}

void ChoiceCard::restyle() {
    const Palette& palette = environmentPalette(this);
    symbol_->setColor(palette.accent);
    styleLabel(title_, AppFont::font(15, QFont::DemiBold), palette.ink);
    styleLabel(description_, AppFont::caption(), palette.inkSecondary);
    for (QLabel* tag : tags_) styleLabel(tag, AppFont::small(), palette.inkTertiary);
    update();
}

OnboardingView::OnboardingView(FolderScanState& folderScan, DeveloperState& developer, QWidget* parent)
    : QWidget(parent),
      folderScan_(folderScan),
      developer_(developer),
      content_(new QWidget(this)),
      fade_(new QGraphicsOpacityEffect(this)),
      appear_(new QVariantAnimation(this)) {
    const OnboardingContent& text = onboardingContent();
    setAutoFillBackground(true);
    symbol_ = new SymbolView(text.symbol, 34);
    heading_ = plainLabel(QString::fromStdString(text.heading));
    introduction_ = plainLabel(QString::fromStdString(text.introduction));
    introduction_->setAlignment(Qt::AlignCenter);
    reassuranceSymbol_ = new SymbolView(text.reassuranceSymbol, 10);
    reassurance_ = plainLabel(QString::fromStdString(text.reassurance));

    auto* cards = new QHBoxLayout;
    cards->setSpacing(14);
    for (const OnboardingChoice& choice : text.choices) {
        auto* card = new ChoiceCard(choice);
        cards_.append(card);
        cards->addWidget(card, 1);
        connect(card, &QAbstractButton::clicked, this, [this, action = choice.action] { choose(action); });
    }
    auto* cardRow = new QWidget;
    cardRow->setLayout(cards);
    cards->setContentsMargins(0, 0, 0, 0);
    cardRow->setMaximumWidth(cardsMaximumWidth);
    // As wide as the window allows, up to the limit, centred.
    auto* cardLine = new QHBoxLayout;
    cardLine->addStretch(1);
    cardLine->addWidget(cardRow, 1000);
    cardLine->addStretch(1);

    auto* reassurance = new QHBoxLayout;
    reassurance->setSpacing(5);
    reassurance->addWidget(reassuranceSymbol_, 0, Qt::AlignVCenter);
    reassurance->addWidget(reassurance_);

    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(24, 0, 24, 0);
    column->setSpacing(0);
    column->addStretch(1);
    column->addWidget(symbol_, 0, Qt::AlignHCenter);
    column->addSpacing(18);
    column->addWidget(heading_, 0, Qt::AlignHCenter);
    column->addSpacing(10);
    column->addWidget(introduction_, 0, Qt::AlignHCenter);
    column->addSpacing(30);
    column->addLayout(cardLine);
    column->addSpacing(26);
    column->addLayout(reassurance);
    reassurance->insertStretch(0, 1);
    reassurance->addStretch(1);
    column->addStretch(1);

    // Until the screen first shows, its content is see-through and 8 lower.
    fade_->setOpacity(0);
    content_->setGraphicsEffect(fade_);
    appear_->setStartValue(0.0);
    appear_->setEndValue(1.0);
    appear_->setDuration(entranceMilliseconds);
    appear_->setEasingCurve(QEasingCurve::OutQuad);
    connect(appear_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        fade_->setOpacity(value.toDouble());
        placeContent();
    });
    connect(appear_, &QAbstractAnimation::finished, this, &OnboardingView::finishEntrance);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

double OnboardingView::entrance() const {
    if (!fade_) return 1.0;
    return appear_->state() == QAbstractAnimation::Running ? appear_->currentValue().toDouble() : fade_->opacity();
}

void OnboardingView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_) return;
    appeared_ = true;
    if (AppMotion::jumpsToEnd())
        finishEntrance();
    else
        appear_->start();
}

void OnboardingView::finishEntrance() {
    // Once in place the content draws directly, without the effect's extra pass.
    content_->setGraphicsEffect(nullptr);
    fade_ = nullptr;
    placeContent();
}

void OnboardingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeContent();
}

void OnboardingView::placeContent() {
    const double offset = entranceOffset * (1.0 - entrance());
    content_->setGeometry(rect().translated(0, static_cast<int>(std::lround(offset))));
}

void OnboardingView::choose(OnboardingChoice::Action action) {
    switch (action) {
        case OnboardingChoice::Action::scanHomeFolder:
            folderScan_.scanHomeFolder();
            break;
        case OnboardingChoice::Action::scanDeveloperLeftovers:
            developer_.startScan();
            break;
    }
}

void OnboardingView::restyle() {
    const Palette& palette = environmentPalette(this);
    symbol_->setColor(palette.accent);
    styleLabel(heading_, AppFont::font(27, QFont::DemiBold), palette.ink);
    styleLabel(introduction_, AppFont::body(), palette.inkSecondary);
    reassuranceSymbol_->setColor(palette.inkTertiary);
    styleLabel(reassurance_, AppFont::caption(), palette.inkTertiary);
}

}  // namespace korvane
