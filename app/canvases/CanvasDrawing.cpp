#include "app/canvases/CanvasDrawing.h"

#include <QPainter>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/CanvasFactory.h"
#include "app/state/NavigationState.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

CanvasDrawing::CanvasDrawing(const CanvasParts& parts, QWidget* parent)
    : QWidget(parent), parts_(parts), transition_(new MotionAnimation(AppMotion::fade, 1.0, this)) {
    connect(transition_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (canvas_) canvas_->setPresence(value.toDouble());
        update();
    });
}

void CanvasDrawing::setRoot(const StorageNode* root) {
    std::string identity = canvasIdentity(parts_.navigation.canvasMode(), parts_.navigation.searchText());
    if (!canvas_ || identity != identity_) {
        identity_ = std::move(identity);
        replaceCanvas();
    }
    canvas_->setDepth(canvasDepth(canvas_->mode(), static_cast<int>(parts_.navigation.sunburstDepth())));
    canvas_->setRoot(root);
}

void CanvasDrawing::replaceCanvas() {
    const bool fades = canvas_ && isVisible() && !AppMotion::jumpsToEnd();
    if (canvas_) {
        if (fades) leaving_ = canvas_->grab();
        // Its nodes may go with the next change of the state: it draws none again.
        canvas_->setRoot(nullptr);
        // Later: the change may come from inside the old canvas (its menu).
        canvas_->hide();
        canvas_->deleteLater();
    }
    canvas_ = makeCanvas(parts_.navigation.canvasMode(), parts_, this);
    canvas_->setGeometry(rect());
    canvas_->show();
    if (fades) {
        transition_->jumpTo(0.0);
        canvas_->setPresence(0);
        transition_->animateTo(1.0);
    } else {
        leaving_ = {};
        transition_->jumpTo(1.0);
    }
}

void CanvasDrawing::paintEvent(QPaintEvent*) {
    const double presence = transition_->currentValue().toDouble();
    if (leaving_.isNull() || presence >= 1) {
        leaving_ = {};
        return;
    }
    // The leaving canvas shrinks to 98.5 % about the centre while it fades.
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(1 - presence);
    const double scale = 1 - 0.015 * presence;
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    painter.drawPixmap(0, 0, leaving_);
}

void CanvasDrawing::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (canvas_) canvas_->setGeometry(rect());
}

}  // namespace korvane
