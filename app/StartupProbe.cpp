#include "app/StartupProbe.h"

#include <cstdio>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "app/kit/PaletteEnvironment.h"
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
    painter.setRenderHint(QPainter::Antialiasing);
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible() || other->window() != other) continue;
        // A bare X server has no window manager to frame the windows over the main one:
        // the picture dims what a modal window covers and gives every window a shadow and an edge.
        if (other->windowModality() != Qt::NonModal) painter.fillRect(image.rect(), QColor(0, 0, 0, 28));
        const QRect frame(other->mapToGlobal(QPoint(0, 0)) - origin, other->size());
        painter.setPen(Qt::NoPen);
        for (int spread = 12; spread > 0; spread -= 2) {
            painter.setBrush(QColor(0, 0, 0, 5));
            painter.drawRoundedRect(QRectF(frame).adjusted(-spread, -spread + 4, spread, spread + 4), spread,
                                    spread);
        }
        painter.drawPixmap(frame.topLeft(), other->grab());
        painter.setPen(environmentPalette(other).isDark ? QColor(255, 255, 255, 50) : QColor(0, 0, 0, 60));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(frame).adjusted(-0.5, -0.5, 0.5, 0.5));
    }
    return image;
}

}  // namespace korvane
