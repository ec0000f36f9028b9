#include "app/MenuBarExtra.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/MainWindow.h"
#include "app/presenters/MenuBarContent.h"
#include "app/presenters/WindowPlacement.h"
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
    // The size the panel will have: its fixed width, not the width its
    // contents hint at, which is narrower and let it run off the screen.
    panel_->adjustSize();
    const QScreen* screen = QApplication::screenAt(anchor);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    panel_->move(
        windowPlacement::popupPlacement(anchor, panel_->size(), panel_->surface().margins(), available)
            .topLeft());
    panel_->show();
}

void MenuBarExtra::followScan() {
    icon_->setToolTip(QString::fromStdString(menuBarTitle(state_.developer().reclaimableBytes())));
}

}  // namespace korvane
