#include <gtest/gtest.h>

#include <QApplication>

#include "app/kit/ReturnKey.h"
#include "app/kit/ThemedStyle.h"

// The app tests share one QApplication that lives exactly as long as the run.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the binary outside CTest's environment too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(new korvane::ThemedStyle);
    korvane::pressFocusedButtonsOnReturn();
    return RUN_ALL_TESTS();
}
