#include "app/StartupProbe.h"

#include <cstdio>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "app/theme/AppMotion.h"

namespace korvane {

namespace {

constexpr int defaultScreenshotDelayMilliseconds = 1500;

}  // namespace

void StartupProbe::prepare() {
    if (!qEnvironmentVariableIsEmpty("KORVANE_SCREENSHOT")) AppMotion::setJumpToEnd(true);
}

StartupProbe::StartupProbe(QWidget& window, QObject* parent)
    : QObject(parent),
      window_(window),
      reports_(!qEnvironmentVariableIsEmpty("KORVANE_REPORT_FIRST_PAINT")),
      screenshot_(qEnvironmentVariable("KORVANE_SCREENSHOT")) {
    bool valid = false;
    delay_ = qEnvironmentVariableIntValue("KORVANE_SCREENSHOT_DELAY", &valid);
    if (!valid || delay_ < 0) delay_ = defaultScreenshotDelayMilliseconds;
    if (reports_ || !screenshot_.isEmpty()) window_.installEventFilter(this);
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Paint && !seen_) {
        seen_ = true;
        // After the paint has reached the screen, not while it is being drawn.
        QTimer::singleShot(0, this, &StartupProbe::painted);
    }
    return QObject::eventFilter(watched, event);
}

void StartupProbe::painted() {
    window_.removeEventFilter(this);
    if (reports_) {
        std::fputs("first-paint\n", stdout);
        std::fflush(stdout);
    }
    if (screenshot_.isEmpty()) return;
    QTimer::singleShot(delay_, this, [this] {
        const bool saved = picture(window_).save(screenshot_);
        if (!saved) std::fprintf(stderr, "Could not save the picture to %s\n", qPrintable(screenshot_));
        QApplication::exit(saved ? 0 : 1);
    });
}

QImage StartupProbe::picture(QWidget& window) {
    QImage image = window.grab().toImage();
    QPainter painter(&image);
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible() || other->window() != other) continue;
        painter.drawPixmap(other->mapToGlobal(QPoint(0, 0)) - origin, other->grab());
    }
    return image;
}

}  // namespace korvane
