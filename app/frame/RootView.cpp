#include "app/frame/RootView.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

#include "app/frame/ExploreLayout.h"
#include "app/kit/CrossFade.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/TextureOverlay.h"
#include "app/screens/CleanupProgressView.h"
#include "app/screens/CompleteView.h"
#include "app/screens/OnboardingView.h"
#include "app/screens/ScanningView.h"

namespace korvane {

namespace {

constexpr Motion routeFade{Motion::Kind::easeInOut, 0.2, 1};

}  // namespace

RootView::RootView(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      route_(state.navigation().route()),
      routeFade_(new CrossFade(this)),
      texture_(new TextureOverlay(this)),
      themeFade_(new CrossFade(this)) {
    setAutoFillBackground(true);
    routeFade_->setObjectName(QStringLiteral("routeFade"));
    themeFade_->setObjectName(QStringLiteral("themeFade"));
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
    if (isVisible() && !AppMotion::jumpsToEnd()) routeFade_->fadeOut(screen_->grab(), rect(), routeFade);
    // Later: the route may have changed from inside the old screen (its "Cancel").
    screen_->hide();
    screen_->deleteLater();
    screen_ = makeScreen(route_);
    placeLayers();
    screen_->show();
    // The keyboard goes with the screen: to the control it chose as it
    // showed, else to its first one, never left on the old screen's remains.
    const QWidget* focused = QApplication::focusWidget();
    if (focused && focused->isVisible() && screen_->isAncestorOf(focused)) return;
    for (QWidget* widget = screen_->nextInFocusChain(); widget != screen_; widget = widget->nextInFocusChain())
        if (screen_->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() &&
            widget->isEnabled()) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
}

void RootView::fadeFromCurrentLook(const Motion& motion) {
    // The texture changes with the theme too: the picture holds it, and lies over it.
    if (isVisible() && !AppMotion::jumpsToEnd()) themeFade_->fadeOut(grab(), rect(), motion);
}

void RootView::placeLayers() {
    screen_->setGeometry(rect());
    routeFade_->setGeometry(rect());
    texture_->setGeometry(rect());
    themeFade_->setGeometry(rect());
    screen_->lower();
    texture_->raise();
    themeFade_->raise();
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
