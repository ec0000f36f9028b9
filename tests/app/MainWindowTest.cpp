#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "app/MainWindow.h"

TEST(MainWindow, OpensTitledWithItsMinimumSizeAndQuitsCleanly) {
    korvane::MainWindow window;
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane"));
    EXPECT_EQ(window.minimumSize(), QSize(720, 560));
    window.resize(100, 100);
    EXPECT_GE(window.width(), 720);
    EXPECT_GE(window.height(), 560);

    QTimer::singleShot(0, &window, &QWidget::close);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
}
