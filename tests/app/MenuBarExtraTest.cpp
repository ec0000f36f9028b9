#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/MainWindow.h"
#include "app/MenuBarExtra.h"
#include "app/screens/MenuBarView.h"
#include "app/theme/ApplicationIcon.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class MenuBarExtraTest : public testing::FlowFixture {};

TEST_F(MenuBarExtraTest, TheTrayShowsTheApplicationsOwnIcon) {
    launch();
    MainWindow window(state());
    MenuBarExtra tray(state(), window);
    const QIcon shown = tray.icon()->icon();
    const QIcon own = applicationIcon();
    // The sizes trays ask for, from the smallest panels to the largest.
    for (const int side : {16, 22, 24, 32, 48}) {
        SCOPED_TRACE(side);
        EXPECT_EQ(shown.pixmap(side).toImage(), own.pixmap(side).toImage());
    }
}

TEST_F(MenuBarExtraTest, ThePanelOpensWhollyOnTheScreenBesideATrayAtItsEdge) {
    launch();
    MainWindow window(state());
    MenuBarExtra tray(state(), window);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QPoint anchor : {screen.topRight() + QPoint(-4, 24), screen.bottomRight() - QPoint(4, 2),
                                screen.topLeft() + QPoint(2, 24)}) {
        tray.showPanel(anchor);
        EXPECT_TRUE(screen.contains(tray.panel()->geometry()))
            << anchor.x() << "," << anchor.y() << ": " << tray.panel()->geometry().x() << " wide "
            << tray.panel()->geometry().width();
        tray.panel()->hide();
    }
}

}  // namespace
}  // namespace korvane
