#include "app/kit/SlideReveal.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QGraphicsOpacityEffect>

#include "app/theme/MotionAnimation.h"

namespace korvane {

SlideReveal::SlideReveal(QWidget* content, Edge edge, const Motion& motion, QWidget* parent)
    : QWidget(parent),
      content_(content),
      edge_(edge),
      progress_(new MotionAnimation(motion, 0.0, this)),
      fade_(new QGraphicsOpacityEffect(this)) {
    content_->setParent(this);
    content_->installEventFilter(this);
    fade_->setEnabled(false);
    content_->setGraphicsEffect(fade_);
    setSizePolicy(content_->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    connect(progress_, &QVariantAnimation::valueChanged, this, &SlideReveal::follow);
    connect(progress_, &QAbstractAnimation::finished, this, &SlideReveal::follow);
    setVisible(false);
}

double SlideReveal::progress() const { return progress_->currentValue().toDouble(); }

void SlideReveal::setRevealed(bool revealed) {
    if (revealed == revealed_) return;
    revealed_ = revealed;
    if (revealed) setVisible(true);
    progress_->animateTo(revealed ? 1.0 : 0.0);
    follow();
}

void SlideReveal::jumpRevealed(bool revealed) {
    revealed_ = revealed;
    progress_->jumpTo(revealed ? 1.0 : 0.0);
    follow();
}

int SlideReveal::contentHeight() const {
    const int wanted = content_->hasHeightForWidth() && width() > 0 ? content_->heightForWidth(width())
                                                                    : content_->sizeHint().height();
    return std::max(wanted, content_->minimumHeight());
}

QSize SlideReveal::sizeHint() const {
    const double shown = std::clamp(progress(), 0.0, 1.0);
    return {content_->sizeHint().width(), static_cast<int>(std::lround(contentHeight() * shown))};
}

QSize SlideReveal::minimumSizeHint() const { return {content_->minimumSizeHint().width(), sizeHint().height()}; }

void SlideReveal::follow() {
    const double shown = std::clamp(progress(), 0.0, 1.0);
    const bool moving = progress_->state() == QAbstractAnimation::Running;
    // The fade draws the content through an off-screen picture: only while it moves.
    fade_->setEnabled(moving && shown < 1);
    fade_->setOpacity(shown);
    if (!revealed_ && !moving && progress() <= 0) {
        setVisible(false);
        return;
    }
    if (isHidden() && (revealed_ || moving)) setVisible(true);
    updateGeometry();
    const int height = contentHeight();
    const int top = edge_ == Edge::top ? static_cast<int>(std::lround(height * (shown - 1))) : 0;
    content_->setGeometry(0, top, width(), height);
}

void SlideReveal::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    follow();
}

bool SlideReveal::eventFilter(QObject* watched, QEvent* event) {
    // The content asks for another size (a longer notice): take it at once.
    if (watched == content_ && event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        QMetaObject::invokeMethod(this, &SlideReveal::follow, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace korvane
