#include "app/frame/RootView.h"

#include <QEvent>
#include <QPainter>

#include "app/frame/ExploreLayout.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/TextureOverlay.h"
#include "app/screens/CleanupProgressView.h"
#include "app/screens/CompleteView.h"
#include "app/screens/OnboardingView.h"
#include "app/screens/ScanningView.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

namespace {

constexpr Motion routeFade{Motion::Kind::easeInOut, 0.2, 1};

// The leaving screen's picture, drawn over the arriving one at a falling opacity.
class FadeLayer : public QWidget {
public:
    FadeLayer(const QPixmap& picture, const MotionAnimation& opacity, QWidget* parent)
        : QWidget(parent), picture_(picture), opacity_(opacity) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setOpacity(std::clamp(opacity_.currentValue().toDouble(), 0.0, 1.0));
        painter.drawPixmap(0, 0, picture_);
    }

private:
    const QPixmap& picture_;
    const MotionAnimation& opacity_;
};

}  // namespace

RootView::RootView(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      route_(state.navigation().route()),
      fadeOpacity_(new MotionAnimation(routeFade, 0.0, this)),
      texture_(new TextureOverlay(this)) {
    setAutoFillBackground(true);
    fade_ = new FadeLayer(leaving_, *fadeOpacity_, this);
    fade_->setObjectName(QStringLiteral("routeFade"));
    fade_->hide();
    connect(fadeOpacity_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        fade_->setVisible(value.toDouble() > 0);
        fade_->update();
    });
    screen_ = makeScreen(route_);
    connect(&state_.navigation(), &NavigationState::routeChanged, this, &RootView::followRoute);
    const auto showTexture = [this] {
        const Palette& palette = environmentPalette(this);
        texture_->setTexture(palette.texture, palette.ink);
    };
    restyleOnPaletteChange(*this, showTexture);
    showTexture();
    placeLayers();
}

ExploreLayout* RootView::exploreLayout() const { return qobject_cast<ExploreLayout*>(screen_); }

void RootView::followRoute() {
    if (state_.navigation().route() == route_) return;
    route_ = state_.navigation().route();
    if (isVisible() && !AppMotion::jumpsToEnd()) {
        leaving_ = screen_->grab();
        fadeOpacity_->jumpTo(1.0);
        fadeOpacity_->setMotion(routeFade);
        fadeOpacity_->animateTo(0.0);
    }
    // Later: the route may have changed from inside the old screen (its "Cancel").
    screen_->hide();
    screen_->deleteLater();
    screen_ = makeScreen(route_);
    placeLayers();
    screen_->show();
}

void RootView::placeLayers() {
    screen_->setGeometry(rect());
    fade_->setGeometry(rect());
    texture_->setGeometry(rect());
    screen_->lower();
    texture_->raise();
}

void RootView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeLayers();
}

QWidget* RootView::makeScreen(AppState::Route route) {
    switch (route) {
        case AppState::Route::scanning:
            return new ScanningView(state_.developer(), this);
        case AppState::Route::explore: {
            auto* layout = new ExploreLayout(state_, showsInspector_, this);
            connect(layout, &ExploreLayout::showsInspectorChanged, this,
                    [this](bool shows) { showsInspector_ = shows; });
            return layout;
        }
        case AppState::Route::onboarding:
            return new OnboardingView(state_.folderScan(), state_.developer(), this);
        case AppState::Route::cleaning:
            return new CleanupProgressView(state_.developer(), this);
        case AppState::Route::finished:
            return new CompleteView(state_.developer(), state_.desktop(), this);
    }
    return nullptr;
}

}  // namespace korvane
