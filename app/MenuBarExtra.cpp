#include "app/MenuBarExtra.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/MainWindow.h"
#include "app/presenters/MenuBarContent.h"
#include "app/screens/MenuBarView.h"
#include "app/state/AppState.h"
#include "app/theme/Palette.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {

namespace {

// The "internaldrive" symbol in ink on a paper disc, readable on light and dark trays alike.
QIcon driveIcon() {
    const Palette& paper = Palette::forTheme(ThemeID::paper);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap picture(size, size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(paper.canvas);
        painter.drawEllipse(QRectF(0, 0, size, size));
        painter.setFont(symbolFont(size * 0.62));
        painter.setPen(paper.ink);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, symbolText("internaldrive"));
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}

}  // namespace

MenuBarExtra::MenuBarExtra(AppState& state, MainWindow& window, QObject* parent)
    : QObject(parent),
      state_(state),
      icon_(new QSystemTrayIcon(driveIcon(), this)),
      panel_(new MenuBarView(state)) {
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context) return;
        const QRect tray = icon_->geometry();
        showPanel(tray.isValid() ? tray.bottomLeft() : QCursor::pos());
    });
    connect(panel_, &MenuBarView::openRequested, &window, &MainWindow::bringToFront);
    connect(panel_, &MenuBarView::quitRequested, qApp, &QApplication::quit, Qt::QueuedConnection);
    connect(&state_, &AppState::scanChanged, this, &MenuBarExtra::followScan);
    followScan();
    icon_->show();
}

MenuBarExtra::~MenuBarExtra() { delete panel_; }

void MenuBarExtra::showPanel(const QPoint& anchor) {
    panel_->adjustSize();
    QRect frame(anchor, panel_->sizeHint());
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
    icon_->setToolTip(QString::fromStdString(menuBarTitle(state_.reclaimableBytes())));
}

}  // namespace korvane
