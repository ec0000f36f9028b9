#pragma once

#include <QPixmap>
#include <QWidget>

#include "app/state/AppState.h"

namespace korvane {

class ExploreLayout;
class MotionAnimation;
class TextureOverlay;

// The whole content of the main window: the screen of the current route on
// the theme's canvas colour with its texture over everything. A new route
// cross-fades from the old screen.
class RootView : public QWidget {
    Q_OBJECT
public:
    explicit RootView(AppState& state, QWidget* parent = nullptr);

    AppState::Route shownRoute() const { return route_; }
    QWidget* screen() const { return screen_; }
    // The explore layout while the explore route shows, else null.
    ExploreLayout* exploreLayout() const;
    bool showsInspector() const { return showsInspector_; }

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
    QWidget* fade_;
    MotionAnimation* fadeOpacity_;
    QPixmap leaving_;
    TextureOverlay* texture_;
};

}  // namespace korvane
