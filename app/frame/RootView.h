#pragma once

#include <QWidget>

#include "app/state/AppState.h"
#include "app/theme/AppMotion.h"

namespace korvane {

class CrossFade;
class ExploreLayout;
class TextureOverlay;

// The whole content of the main window: the screen of the current route on
// the theme's canvas colour with its texture over everything. A new route
// cross-fades from the old screen; a new theme from the old look.
class RootView : public QWidget {
    Q_OBJECT
public:
    explicit RootView(AppState& state, QWidget* parent = nullptr);

    AppState::Route shownRoute() const { return route_; }
    QWidget* screen() const { return screen_; }
    // The explore layout while the explore route shows, else null.
    ExploreLayout* exploreLayout() const;
    bool showsInspector() const { return showsInspector_; }
    // The look of this moment fades out along `motion` over whatever the
    // view becomes next (call it just before a new theme is set).
    void fadeFromCurrentLook(const Motion& motion);
    CrossFade* themeFade() const { return themeFade_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Each route's screen is made here, so the real screen takes its placeholder's place.
    QWidget* makeScreen(AppState::Route route);
    void followRoute();
    void placeLayers();

    AppState& state_;
    AppState::Route route_;
    // Starts on at every launch; only the top bar's toggle changes it.
    bool showsInspector_ = true;
    QWidget* screen_ = nullptr;
    CrossFade* routeFade_;
    TextureOverlay* texture_;
    CrossFade* themeFade_;
};

}  // namespace korvane
