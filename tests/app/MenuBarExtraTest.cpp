#include <gtest/gtest.h>

#include <QImage>
#include <QSystemTrayIcon>

#include "app/MainWindow.h"
#include "app/MenuBarExtra.h"
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

}  // namespace
}  // namespace korvane
