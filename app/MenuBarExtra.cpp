#include "app/MenuBarExtra.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/MainWindow.h"
#include "app/presenters/MenuBarContent.h"
#include "app/screens/MenuBarView.h"
#include "app/state/AppState.h"
#include "app/theme/ApplicationIcon.h"

namespace korvane {

MenuBarExtra::MenuBarExtra(AppState& state, MainWindow& window, QObject* parent)
    : QObject(parent),
      state_(state),
      icon_(new QSystemTrayIcon(applicationIcon(), this)),
      panel_(new MenuBarView(state.developer(), state.navigation())) {
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context) return;
        const QRect tray = icon_->geometry();
        showPanel(tray.isValid() ? tray.bottomLeft() : QCursor::pos());
    });
    connect(panel_, &MenuBarView::openRequested, &window, &MainWindow::bringToFront);
    connect(panel_, &MenuBarView::quitRequested, qApp, &QApplication::quit, Qt::QueuedConnection);
    connect(&state_.developer(), &DeveloperState::scanChanged, this, &MenuBarExtra::followScan);
    followScan();
    icon_->show();
}

MenuBarExtra::~MenuBarExtra() { delete panel_; }

void MenuBarExtra::showPanel(const QPoint& anchor) {
    panel_->adjustSize();
    // The card, not its shadow's room, starts at the anchor.
    const QMargins room = panel_->surface().margins();
    QRect frame(anchor - QPoint(room.left(), room.top()), panel_->sizeHint());
    if (const QScreen* screen = QApplication::screenAt(anchor)) {
        const QRect available = screen->availableGeometry();
        // A tray at the bottom of the screen opens its panel upwards.
        if (frame.bottom() > available.bottom()) frame.moveBottom(anchor.y());
        if (frame.right() > available.right()) frame.moveRight(available.right());
        frame.moveLeft(std::max(frame.left(), available.left()));
        frame.moveTop(std::max(frame.top(), available.top()));
    }
    panel_->move(frame.topLeft());
    panel_->show();
}

void MenuBarExtra::followScan() {
    icon_->setToolTip(QString::fromStdString(menuBarTitle(state_.developer().reclaimableBytes())));
}

}  // namespace korvane
