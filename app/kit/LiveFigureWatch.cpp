#include "app/kit/LiveFigureWatch.h"

#include <QEvent>
#include <QWidget>

#include "app/state/LiveStatsState.h"

namespace korvane {

LiveFigureWatch::LiveFigureWatch(LiveStatsState& stats, QWidget& figure)
    : QObject(&figure), stats_(stats), figure_(figure) {
    figure_.installEventFilter(this);
    follow();
}

LiveFigureWatch::~LiveFigureWatch() { stats_.setStatsWatched(this, false); }

bool LiveFigureWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
        case QEvent::ParentChange:
            follow();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void LiveFigureWatch::follow() {
    // The figure may have moved into another window since it was made.
    if (QWidget* window = figure_.window(); window != window_) {
        if (window_ && window_ != &figure_) window_->removeEventFilter(this);
        window_ = window;
        if (window != &figure_) window->installEventFilter(this);
    }
    onScreen_ = figure_.isVisible() && !figure_.window()->isMinimized();
    stats_.setStatsWatched(this, onScreen_);
}

}  // namespace korvane
